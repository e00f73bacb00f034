// Small conveniences shared by the storage tests.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "io/SysIO.h"

struct TStoreRelease {
    void operator()(TIOStore* store) const { store->Release(); }
};
using TStorePtr = std::unique_ptr<TIOStoreFile, TStoreRelease>;

inline TStorePtr NewStore(const std::string& path, const std::string& name = "sample.tif")
{
    return TStorePtr(new TIOStoreFile(path, name));
}

struct TResult {
    TErrCode Code = ErrOk;
    std::string Text;
    bool operator==(const TResult&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const TResult& r)
{
    return out << r.Code << " '" << r.Text << "'";
}
inline const TResult Premature{ErrFailed, "Premature end of data"};

// A reader of the store, or null with the failure in result.
inline std::unique_ptr<TIOReader> NewReader(TIOStoreFile& store, TResult& result,
                                            TIOReaderMode mode = iorRandom)
{
    TIOReader* reader = nullptr;
    store.CreateReader(mode, reader, result.Code, result.Text);
    return std::unique_ptr<TIOReader>(reader);
}
