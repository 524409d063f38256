#include "job/VnCallback.h"

#include <memory>
#include <new>

#include "base/VnSid.h"
#include "base/VnStringList.h"
#include "expression/VnExpression.h"
#include "system/VnConfigFile.h"

namespace {

constexpr int kUnknownLanguage = 5;

struct Language {
    int number;
    const char* word;
};

// The languages with a word; 5 has none.
const Language kLanguages[] = {
    {1, "perl"}, {2, "python"}, {3, "tcl"}, {4, "vorn"}, {6, "post"}, {7, "mail"}, {8, "dependency"},
};

}  // namespace

VnCallback::VnCallback()
    : _pid(-1), _id(-1), _language(kUnknownLanguage), _count(0), _maximum(-1), _ready("0") {}

VnCallback::~VnCallback() = default;

void VnCallback::copy(const VnCallback& other) {
    *this = other;
}

VnString VnCallback::languagestring() const {
    for (const Language& l : kLanguages) {
        if (l.number == _language) return VnString(l.word);
    }
    return VnString("unknown");
}

void VnCallback::languagestring(const VnString& word) {
    _language = kUnknownLanguage;
    for (const Language& l : kLanguages) {
        if (word == VnString(l.word)) _language = l.number;
    }
}

void VnCallback::triggers(VnEventList& events) const {
    VnStringList tokens;
    VnExpression::callbacktokenize(_triggers, tokens);
    VnStringHash names;  // a set: duplicates fall together
    for (int i = 0; i < tokens.length(); ++i) {
        const VnString* token = tokens.get(i);
        if (!token || !VnEvent::isvalid(*token)) continue;
        std::unique_ptr<VnString> mark(new VnString());
        names.set(mark.get(), *token);
        mark.release();
    }
    VnStringList keys;
    names.copykeys(keys);
    for (int i = 0; i < keys.length(); ++i) {
        std::unique_ptr<VnEvent> event(new VnEvent(*keys.get(i)));
        if (!events.push(event.get())) throw std::bad_alloc();
        event.release();
    }
}

// Every look at the text stays below its length: a pair is taken only when the blank and the
// value byte both stand inside it.
void VnCallback::ready(VnStringHash& pairs) const {
    const char* text = _ready.value();
    const int n = _ready.length();
    int pos = 0;
    while (pos < n) {
        int blank = pos;
        while (blank < n && text[blank] != ' ')
            ++blank;
        if (n - blank < 2) break;  // no blank, or no value byte after it
        const int value = blank + 1;
        std::unique_ptr<VnString> byte(new VnString(text + value, 1));
        pairs.set(byte.get(), VnString(text + pos, blank - pos));
        byte.release();
        pos = value + 1;
        if (pos < n) ++pos;  // the separator
    }
}

int VnCallback::sid(int n) const {
    if (_pid < 0) return -1;
    return _vn_sid(_pid, n);
}

int VnCallback::type() {
    return VN_TYPE_CALLBACK;
}

VnString VnCallback::typeXML() {
    return VnString(VN_XML_CALLBACK);
}

VnCallbackList::VnCallbackList() = default;

VnCallbackList::~VnCallbackList() = default;

void VnCallbackList::load(const VnString& path) {
    const VnConfigFile file(path);
    VnStringList sections;
    file.keys(sections);
    for (int i = 0; i < sections.length(); ++i) {
        const VnString& name = *sections.get(i);
        const VnConfig* section = file.config(name);
        const VnString& language = section->option("language");
        const VnString& code = section->option("code");
        if (language.length() == 0 || code.length() == 0) continue;
        std::unique_ptr<VnCallback> callback(new VnCallback());
        callback->triggers(name);
        callback->code(code);
        callback->languagestring(language);
        const VnString& max = section->option("max");
        if (max.length() > 0) callback->maximum(max.integervalue());
        if (!push(callback.get())) throw std::bad_alloc();
        callback.release();
    }
}

int VnCallbackList::type() {
    return VN_TYPE_CALLBACK_LIST;
}

VnString VnCallbackList::typeXML() {
    return VnString(VN_XML_CALLBACK_LIST);
}
