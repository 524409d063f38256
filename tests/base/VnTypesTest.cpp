#include "base/VnTypes.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "base/VnError.h"
#include "base/VnPackage.h"
#include "base/VnIntHash.h"
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
    VnBase* base = &object;
    EXPECT_EQ(object.type(), number);
    EXPECT_EQ(base->type(), number);
    if constexpr (std::is_base_of_v<VnPack, T>) {
        VnPack* pack = &object;
        EXPECT_STREQ(object.typeXML().value(), xml);
        EXPECT_STREQ(pack->typeXML().value(), xml);
    }
}

struct Row {
    const char* cls;
    void (*check)(int number, const char* xml);
    int number;       // wire constants: literals, never the named constants
    const char* xml;  // "" for classes that are not packable
};

const Row kRows[] = {
    {"VnPack", check<PlainPack>, 71, "pack"},
    {"VnString", check<VnString>, 72, ""},
    {"VnPackObj", check<VnPackObj>, 156, ""},
    {"VnPackage", check<VnPackage>, 167, ""},
    {"VnFile", check<VnFile>, 105, "file"},
    {"VnFileList", check<VnFileList>, 119, "file_list"},
    {"VnDir", check<Dir>, 78, ""},
    {"VnStringList", check<VnStringList>, 55, "string_list"},
    {"VnStringHash", check<VnStringHash>, 56, "string_hash"},
    {"VnIntHash", check<VnIntHash>, 176, "int_hash"},
    {"VnMacro", check<VnMacro>, 98, "macro"},
    {"VnError", check<VnError>, 175, "err"},
    {"VnOldError", check<VnOldError>, 52, "error"},
    {"VnExpression", check<VnExpression>, 65, "expression"},
    {"VnExpressionList", check<VnExpressionList>, 66, "expression_list"},
    {"VnReference", check<VnReference>, 180, "reference"},
    {"VnScalar", check<VnScalar>, 73, ""},
};

}  // namespace

TEST(VnTypes, EveryClassAnswersItsNumberAndName) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.cls);
        row.check(row.number, row.xml);
    }
}
