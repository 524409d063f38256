// Reads arbitrary bytes into a file record or an old-style error, from memory or through an
// archive file. The first byte picks the reader, the rest is its input; as a digit d:
//   d & 1: XML form, else binary      d & 2: old-style error, else file record
//   d & 4: recovered from a file holding the input, else read from memory
// Other first bytes pick a reader by their remainder.
//
// A recovered record must equal the record read from memory, and recover must answer the
// file's length (plus the 15 bytes of the wrapping element in XML) exactly when the reading
// succeeded. What was read from the binary form writes bytes that read back to the same
// bytes; what was read from XML writes a document that reads back and settles after one round
// (line ends given by character reference are normalised).

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/VnError.h"
#include "system/VnFile.h"
#include "testing/FuzzRecords.h"
#include "testing/ScratchDir.h"

namespace {

using fuzz::check;

// A directory made once per process, removed with its one file when the process ends.
class Scratch : public ScratchDir {
public:
    Scratch() : path(root + "/input") {}
    std::string path;
};

const std::string& scratchFile() {
    static Scratch scratch;
    return scratch.path;
}

template <class Record>
void checkRecovered(const std::string& input, bool xml, Record& read, int result) {
    const std::string& path = scratchFile();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << input;
    Record recovered;
    const int length = xml ? recovered.recoverXML(path.c_str()) : recovered.recover(path.c_str());
    const int expected = result == 0 ? static_cast<int>(input.size()) + (xml ? 15 : 0) : 0;
    check(length == expected && packed(recovered) == packed(read));
}

template <class Record>
void readRecord(const std::string& input, bool xml, bool viaFile) {
    if (xml) fuzz::readUnwrapped<Record>(input);
    Record read;
    const int result = unpackInto(read, input, xml);
    if (viaFile) checkRecovered(input, xml, read, result);
    fuzz::checkSettles(read, xml, xml ? fuzz::Settles::Exactly : fuzz::Settles::AtOnce);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input;
    if (!input.take(data, size, 1 << 20)) return 0;
    const unsigned reader = input.digit() % 8;
    const bool xml = reader & 1;
    const bool viaFile = reader & 4;
    if (reader & 2) {
        readRecord<VnOldError>(input.rest, xml, viaFile);
    } else {
        readRecord<VnFile>(input.rest, xml, viaFile);
    }
    return 0;
}
