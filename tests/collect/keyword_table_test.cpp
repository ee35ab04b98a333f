#include "collect/keyword_table.h"

#include <gtest/gtest.h>

#include "text/search.h"

namespace scourvane {
namespace {

TEST(KeywordTable, HoldsTheTwentyFourRowsInOrder) {
    const std::vector<Bytes> expected{"Private Declare Function",
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
                                      "Sub"};
    EXPECT_EQ(listVarType(), expected);
    EXPECT_EQ(&listVarType(), &listVarType());  // one table for the program's lifetime
}

TEST(KeywordTable, EveryPhraseStandsBeforeTheShorterRowsItContains) {
    // The normaliser takes the first row found, so a row found inside a later row would win
    // over it and split with too short a keyword.
    const auto& rows = listVarType();
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = i + 1; j < rows.size(); ++j)
            EXPECT_FALSE(text::contains(rows[j] + " ", rows[i] + " "))
                << rows[i] << " stands before " << rows[j];
}

}  // namespace
}  // namespace scourvane
