#ifndef VN_EXPRESSION_VNSCALAR_H
#define VN_EXPRESSION_VNSCALAR_H

#include "base/VnBase.h"
#include "base/VnString.h"

// A value of the expression language: a 32-bit integer, a 32-bit float or a
// string, with the coercions between them and the rules of every operator.
//
// Only the field that valuetype names carries the value; setting a value
// changes valuetype and that field and leaves the others as they were. A
// default scalar is the integer 0.
class VnScalar : public VnBase {
public:
    VnScalar();
    VnScalar(const VnString& text);
    VnScalar(int v);
    VnScalar(float v);
    VnScalar(const VnScalar& other);
    ~VnScalar() override;

    int type() override;

    // Both copy all four fields.
    void copy(const VnScalar& other);
    VnScalar& operator=(const VnScalar& other);

    // Stores text as an integer ("-12"), a float ("1.5", "+5", ".") or,
    // failing both, a string.
    void value(const VnString& text);

    int integervalue();
    float floatvalue();
    // Writes the value's text into sval and returns it.
    VnString& stringvalue();

    // out = a op b. Two integers are computed as integers, a float with no
    // string as floats, anything with a string by the string rules. An
    // operator without a rule gives 0 of the result's type.
    static void eval(const VnString& op, VnScalar& a, VnScalar& b, VnScalar& out);
    // out = op a, for "!", "not", "-" and "--"; the result has a's type.
    static void eval(const VnString& op, VnScalar& a, VnScalar& out);

    int valuetype;  // 0 integer, 1 float, 2 string
    int ival;
    float fval;
    VnString sval;
};

#endif
