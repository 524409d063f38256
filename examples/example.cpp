// A small client of the library: builds a job's free-form data as a package
// tree and reads its compact text back, writes a list of cameras in the XML
// archive form, and evaluates a selection expression over job values.
#include <iostream>

#include "vn.h"

namespace {

// Resolves the names of a selection expression to a job's values.
void jobValue(const VnString& name, VnString& out) {
    if (name == VnString("priority"))
        out = "75";
    else if (name == VnString("user"))
        out = "ana";
    else
        out = name;
}

}  // namespace

int main() {
    VnPackage job("job", "");
    job.set("scene", "/shots/sq010/sh020/light.ma");
    job.set("frames", "1-240");
    VnPackage* cameras = new VnPackage("cameras", "");
    cameras->push("persp");
    cameras->push("shotCam (main)");
    job.set(cameras);

    VnString text = job.compact();
    std::cout << "compact text: " << text << "\n";
    VnPackage back;
    if (!back.expand(text) || !(back.compact() == text)) {
        std::cerr << "could not read the compact text back\n";
        return 1;
    }

    VnStringList names;
    VnExpression::split("persp, 'shotCam (main)', top", names);
    names.packXML();
    std::cout << "cameras as XML:\n" << names.packContents() << "\n";

    VnExpression selection;
    selection.valuereq(jobValue);
    selection.parse("priority > 50 and user == ana");
    VnScalar result;
    selection.eval(result);
    std::cout << "selected: " << result.integervalue() << "\n";
    return result.integervalue() == 1 ? 0 : 1;
}
