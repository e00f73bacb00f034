#include "io/SysErrTable.h"

namespace {

const TSysErrorRow Rows[] = {
    {0, "ERROR_SUCCESS", "The operation completed successfully."},
    {2, "ERROR_FILE_NOT_FOUND", "The system cannot find the file specified."},
};

}  // namespace

std::span<const TSysErrorRow> SysErrorRows()
{
    return Rows;
}
