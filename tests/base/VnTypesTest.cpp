#include "base/VnTypes.h"

#include <gtest/gtest.h>

#include <string>

#include "base/VnError.h"
#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnPackage.h"
#include "base/VnIntHash.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "expression/VnExpression.h"
#include "expression/VnReference.h"
#include "expression/VnScalar.h"
#include "system/VnDir.h"
#include "system/VnFile.h"
#include "system/VnMacro.h"

namespace {

// VnPack itself cannot be built: this subclass adds only the codecs.
struct PlainPack : VnPack {
    void encode() override {}
    void decode() override {}
    void encodeXML() override {}
    void decodeXML() override {}
};

struct Answers {
    int number;          // asked of the class itself
    int numberViaBase;   // asked through a VnBase* (and a VnPack* for packables)
    std::string xml;     // empty for classes that are not packable
    std::string xmlViaPack;
};

template <class T>
Answers askPackable() {
    T object;
    VnPack* pack = &object;
    EXPECT_EQ(pack->type(), static_cast<VnBase*>(&object)->type());
    return {object.type(), pack->type(), object.typeXML().value(), pack->typeXML().value()};
}

template <class T>
Answers askPlain() {
    T object;
    VnBase* base = &object;
    return {object.type(), base->type(), "", ""};
}

// VnDir is built on a path; a missing one lists nothing.
Answers askDir() {
    VnDir dir("");
    VnBase* base = &dir;
    return {dir.type(), base->type(), "", ""};
}

struct Row {
    const char* cls;
    Answers (*ask)();
    int number;       // wire constants: literals, never the named constants
    const char* xml;  // "" for classes that are not packable
};

const Row kRows[] = {
    {"VnPack", askPackable<PlainPack>, 71, "pack"},
    {"VnString", askPlain<VnString>, 72, ""},
    {"VnPackObj", askPlain<VnPackObj>, 156, ""},
    {"VnPackage", askPlain<VnPackage>, 167, ""},
    {"VnFile", askPackable<VnFile>, 105, "file"},
    {"VnFileList", askPackable<VnFileList>, 119, "file_list"},
    {"VnDir", askDir, 78, ""},
    {"VnStringList", askPackable<VnStringList>, 55, "string_list"},
    {"VnStringHash", askPackable<VnStringHash>, 56, "string_hash"},
    {"VnIntHash", askPackable<VnIntHash>, 176, "int_hash"},
    {"VnMacro", askPackable<VnMacro>, 98, "macro"},
    {"VnError", askPackable<VnError>, 175, "err"},
    {"VnOldError", askPackable<VnOldError>, 52, "error"},
    {"VnExpression", askPackable<VnExpression>, 65, "expression"},
    {"VnExpressionList", askPackable<VnExpressionList>, 66, "expression_list"},
    {"VnReference", askPackable<VnReference>, 180, "reference"},
    {"VnScalar", askPlain<VnScalar>, 73, ""},
};

}  // namespace

TEST(VnTypes, EveryClassAnswersItsNumberAndName) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.cls);
        const Answers answers = row.ask();
        EXPECT_EQ(answers.number, row.number);
        EXPECT_EQ(answers.numberViaBase, row.number);
        EXPECT_EQ(answers.xml, row.xml);
        EXPECT_EQ(answers.xmlViaPack, row.xml);
    }
}
