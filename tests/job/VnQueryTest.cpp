#include "job/VnQuery.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

TEST(VnQuery, FieldsTravelBeforeFiltersAndCopiesShareNothing) {
    VnQuery q;
    q.filters().push(new VnFilter(VnString("id")));
    q.fields().push(new VnField(VnString("subjobs")));
    const std::string noSign(1, '\0');  // nested objects' fields follow their length at once
    const std::string filterBytes =
        strField(1, "id") + field(3, 6, noSign) + objField(4, 23, intField(1, 0)) + field(5, 2, "=");
    expectForms(
        q,
        kVersion +
            objField(2, 23, intField(1, 1) + objField(10, 22, strField(1, "subjobs") + field(2, 2, noSign))) +
            objField(1, 21, intField(1, 1) + objField(10, 20, filterBytes)),
        objectXML("query", obj("field_list", "field_list",
                               obj("item", "field", el("name", "subjobs", 5) + el("sign", 0, 5), 3)) +
                               obj("filter_list", "filter_list",
                                   obj("item", "filter",
                                       el("name", "id", 5) + el("neg", 0, 5) +
                                           obj("fields", "field_list", "", 5) + el("sign", 61, 5),
                                       3))));

    q.filters().get(0)->fields().push(new VnField(VnString("ann")));
    expectDeepCopies(q, [](VnQuery& other) {
        other.filters().get(0)->fields().get(0)->value("bob");
        other.fields().get(0)->value("hosts");
    });
}
