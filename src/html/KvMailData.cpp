#include "html/KvMailData.h"

TKvTelnetData* TKvTelnetData::CreateFromString(const std::string& text)
{
    auto* data = new TKvTelnetData;
    data->FForm = FormString;
    data->FText = text;
    return data;
}

void TKvTelnetData::Release()
{
    if (--FRefCount == 0)
        delete this;
}

TKvTelnetDataCursor::TKvTelnetDataCursor(TKvTelnetData& data) : FData(&data), FForm(data.Form())
{
    FData->AddRef();
    FStart = FData->Text().data();
    FEnd = FStart + (FForm == TKvTelnetData::FormString ? FData->Text().size() : 0);
    FPos = FStart;
}

TKvTelnetDataCursor::~TKvTelnetDataCursor()
{
    FData->Release();
}
