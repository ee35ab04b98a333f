#include "collect/keyword_table.h"

namespace scourvane {

const std::vector<Bytes>& listVarType() {
    static const std::vector<Bytes> rows{
        "Private Declare Function",
        "Public Declare Function",
        "Private Declare Sub",
        "Public Declare Sub",
        "Private Property",
        "Private Function",
        "Declare Function",
        "Public Property",
        "Public Function",
        "Private Const",
        "Public Const",
        "Private Type",
        "Public Type",
        "Private Sub",
        "Declare Sub",
        "Public Sub",
        "Property",
        "Function",
        "Private",
        "Public",
        "Const",
        "Type",
        "Dim",
        "Sub",
    };
    return rows;
}

}  // namespace scourvane
