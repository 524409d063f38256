#ifndef VN_BASE_VNERROR_H
#define VN_BASE_VNERROR_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "system/VnMacro.h"

// The library's error value: an error number and a table of named values.
// Its text is made on demand from one fixed table of texts, whose
// placeholders ("$ERROR", "$VERSION") are filled from the named values.
class VnError : public VnPack {
public:
    VnError();
    explicit VnError(int number);
    VnError(const VnError& other);
    ~VnError() override;

    VnError& operator=(const VnError& other);
    // Takes other's number and a copy of its values; the old values go.
    void copy(const VnError& other);

    // The text for the number with its placeholders filled; "general error"
    // for a number without a text of its own.
    VnString value() const;
    // Sets the number; the values stay.
    void value(int number);
    int integervalue() const;
    // Gives the placeholder name (written without "$") the text value.
    void set(const VnString& name, const VnString& value);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "number", number);
        field(2, "values", values);
    }

    int number;
    VnMacro values;
};

// The older error form: a ready text only.
//
class VnOldError : public VnPack {
public:
    VnOldError();
    explicit VnOldError(const VnString& text);
    VnOldError(const VnOldError& other);
    ~VnOldError() override;

    VnOldError& operator=(const VnOldError& other);
    void copy(const VnOldError& other);

    const VnString& value() const;
    void value(const VnString& text);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "value", _value);
    }

    VnString _value;  // undefined until given
};

// Each writes one line to standard error ("Error: " and the number, or
// "OldError: " and the text), flushes it and ends the process with status 1.
// A null text writes the prefix alone.
[[noreturn]] void FATALERROR(int number);
[[noreturn]] void FATALERROR(char* text);
[[noreturn]] void FATALERROR(const char* text);
[[noreturn]] void FATALERROR(VnString text);

#endif  // VN_BASE_VNERROR_H
