// A small client of the library: builds a job's free-form data as a package
// tree, turns it into its one-line compact text and reads it back.
#include <iostream>

#include "vn.h"

int main()
{
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
    if (!back.expand(text)) {
        std::cerr << "could not read the compact text back\n";
        return 1;
    }
    std::cout << "read back " << back.length() << " children; listing:\n";
    back._display(0);
    return back.compact() == text ? 0 : 1;
}
