#include "base/VnTypes.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "base/VnError.h"
#include "base/VnPackage.h"
#include "base/VnDataHash.h"
#include "base/VnHash.h"
#include "base/VnIntHash.h"
#include "base/VnList.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "expression/VnExpression.h"
#include "expression/VnReference.h"
#include "expression/VnScalar.h"
#include "system/VnDir.h"
#include "system/VnFile.h"
#include "system/VnMacro.h"

namespace {

struct PlainPack : VnPack {  // VnPack itself cannot be built: this adds only the codecs
    void encode() override {}
    void decode() override {}
    void encodeXML() override {}
    void decodeXML() override {}
};

struct Dir : VnDir {
    Dir() : VnDir("") {}  // a missing path, which lists nothing
};

// The object answers number (and, when packable, xml) directly and through its bases.
template <class T>
void check(int number, const char* xml) {
    T object;
    EXPECT_TRUE(object.type() == number && static_cast<VnBase&>(object).type() == number) << number;
    if constexpr (std::is_base_of_v<VnPack, T>) {
        EXPECT_STREQ(object.typeXML().value(), xml);
        EXPECT_STREQ(static_cast<VnPack&>(object).typeXML().value(), xml);
    }
}

// Wire constants: literals, never the named constants; "" for classes that are not packable.
// clang-format off
const struct {
    void (*check)(int number, const char* xml);
    int number;
    const char* xml;
} kRows[] = {
    {check<PlainPack>, 71, "pack"}, {check<VnString>, 72, ""}, {check<VnPackObj>, 156, ""},
    {check<VnPackage>, 167, ""}, {check<VnFile>, 105, "file"}, {check<VnFileList>, 119, "file_list"},
    {check<Dir>, 78, ""}, {check<VnStringList>, 55, "string_list"}, {check<VnStringHash>, 56, "string_hash"},
    {check<VnIntHash>, 176, "int_hash"}, {check<VnMacro>, 98, "macro"}, {check<VnError>, 175, "err"},
    {check<VnOldError>, 52, "error"}, {check<VnExpression>, 65, "expression"},
    {check<VnExpressionList>, 66, "expression_list"}, {check<VnReference>, 180, "reference"},
    {check<VnScalar>, 73, ""},
};
// clang-format on

// Only a typed container answers a number and a name: the templates cannot be made.
static_assert(std::is_abstract<VnList<VnString>>::value && !std::is_abstract<VnStringList>::value);
static_assert(std::is_abstract<VnHash<VnString>>::value && !std::is_abstract<VnStringHash>::value);
static_assert(std::is_abstract<VnDataHash<int>>::value && !std::is_abstract<VnIntHash>::value);

}  // namespace

TEST(VnTypes, EveryClassAnswersItsNumberAndName) {
    for (const auto& row : kRows)
        row.check(row.number, row.xml);
}
