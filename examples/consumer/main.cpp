// Builds against an installed vn: packs a list of cameras in the binary and the XML form,
// reads both back, matches the result with a regular expression and prints one line. Each
// step uses one of the libraries that vn brings along (expat for XML, PCRE2 for the match).

#include <iostream>

#include "vn.h"

int main() {
    VnStringList cameras;
    cameras.push(new VnString("persp"));
    cameras.push(new VnString("shotCam"));

    VnStringList binary, xml;
    cameras.pack();
    const int binaryResult = binary.unpack(cameras.packContents(), cameras.packSize());
    cameras.packXML();
    VnString document("<pack>\n");
    document.append(cameras.packContents(), cameras.packSize());
    document += "\n</pack>";
    const int xmlResult = xml.unpackXML(const_cast<char*>(document.value()), document.length());

    VnRegEx pattern("^persp,shot");
    const VnString joined = xml.join(",");
    if (binaryResult != 0 || xmlResult != 0 || binary.join(",") != joined || !pattern.match(joined)) {
        std::cerr << "consumer: the list did not read back\n";
        return 1;
    }
    std::cout << "consumer: " << joined << "\n";
    return 0;
}
