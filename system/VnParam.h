#ifndef VN_SYSTEM_VNPARAM_H
#define VN_SYSTEM_VNPARAM_H

#include <utility>
#include <vector>

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"
#include "system/VnOption.h"

// Turns an argument list into named options and positional arguments.
//
// The caller defines the options it accepts, then parses. Options come
// first; each is written with one or more leading "-" and any prefix of its
// name that selects one option: an exact name wins over longer names that it
// prefixes, and a prefix of several names is refused. String, integer and
// diff options take the next argument as their value. The first argument
// that does not begin with "-", or that is an integer ("-", "-5"), ends the
// options; it and everything after it are the positional arguments.
//
// The parser never prints. A failed parse answers 0 and leaves one message
// in error(). The flags "help" and "version" are always defined: when one is
// given, a successful parse runs its callback (if installed) and ends the
// process with status 0, "help" first.
//
// Options keep what every parse found (given flag and value); the
// positional arguments are those of the last parse. A VnParam cannot be
// copied.
class VnParam : public VnBase {
public:
    VnParam();
    VnParam(const VnParam&) = delete;
    VnParam& operator=(const VnParam&) = delete;
    ~VnParam() override;

    int type() override;

    // Each appends an option of its kind and answers 1. Names are not
    // checked: lookups by name find the first option of that name.
    int defineFlag(const VnString& name);
    int defineStringOption(const VnString& name);
    int defineIntegerOption(const VnString& name);
    int defineDiffOption(const VnString& name);

    void setHelp(void (*help)());
    void setVersion(void (*version)());

    // 1 on success; 0 with the message in error().
    int parse(VnStringList& args);
    int parse(const VnStringList& args);
    // Takes argv[0] as the program name and parses the argc-1 words after
    // it. A null word counts as an empty one; argc below 1 or a null vector
    // leaves the name as it was and parses an empty list.
    int parse(int argc, char** argv);

    int length() const;
    // Positional argument i; the program name for an index out of range.
    const VnString& arg(int i) const;
    const VnString& name() const;
    const VnString& error() const;

    // 1 when an option of exactly that name is defined.
    int defined(const VnString& name) const;
    int defined(const VnString& name) { return std::as_const(*this).defined(name); }
    // The first option of exactly that name, or null.
    const VnOption* find(const VnString& name) const;
    VnOption* find(const VnString& name) { return const_cast<VnOption*>(std::as_const(*this).find(name)); }

    // 0 when no option of that name is defined (given untouched); else
    // sets given to the option's given flag and answers 1.
    int get(const VnString& name, unsigned char& given) const;
    // 0 when the option is undefined or was not given; else the value's
    // integer (atoi-like, 0 when empty) and 1.
    int get(const VnString& name, int& value) const;
    // 0 when the option is undefined or was not given; else its text and 1.
    int get(const VnString& name, VnString& value) const;
    // 0 when the option is undefined, was not given or has an empty text.
    // A text "+n" or "-n" gives that sign and the amount n; any other text
    // the sign "=" and its integer as the amount.
    int get(const VnString& name, int& amount, char& sign) const;
    int get(const VnString& name, unsigned char& given) { return std::as_const(*this).get(name, given); }
    int get(const VnString& name, int& value) { return std::as_const(*this).get(name, value); }
    int get(const VnString& name, VnString& value) { return std::as_const(*this).get(name, value); }
    int get(const VnString& name, int& amount, char& sign) {
        return std::as_const(*this).get(name, amount, sign);
    }

    // "help: ", the name and " ", then "-" name " " per option, on one line
    // of standard output.
    void displayHeader() const;
    void displayHeader() { std::as_const(*this).displayHeader(); }
    // "help: " and the name on one line, then "\t-" name per option, one
    // line each, on standard output.
    void displayHelp() const;
    void displayHelp() { std::as_const(*this).displayHelp(); }

private:
    int _define(int tag, const VnString& name);
    // Reads the option word at i and its value, moving i past both.
    int _readOption(const VnStringList& args, int& i);
    // The option that the typed name selects; null, with the message set,
    // when it selects none or several.
    VnOption* _choose(const VnString& typed, const VnString& word);
    int _readValue(VnOption& option, const VnString& word, const VnStringList& args, int& i);
    // Ends the process when "help" or "version" was given.
    void _endWhenAsked() const;
    // Sets the message before, quoted and after; answers 0.
    int _fail(const char* before, const VnString& quoted, const char* after);

    VnString _name;
    VnOptionList _options;
    std::vector<VnString> _arguments;
    VnString _error;
    void (*_help)();
    void (*_version)();
};

#endif  // VN_SYSTEM_VNPARAM_H
