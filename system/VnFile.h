#ifndef VN_SYSTEM_VNFILE_H
#define VN_SYSTEM_VNFILE_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// One file as a packable record: the last component of the path it was read
// from, that path and the file's whole contents, so that files can travel in
// messages.
//
// The static helpers are the library's file services. None of them writes a
// message: each answers with a result value or an empty text. Paths are taken
// as given, links followed; only a regular file is read or written, and a FIFO
// or a device in a file's place is refused without waiting on it.
class VnFile : public VnPack {
public:
    VnFile();
    // An empty record, then read(path).
    explicit VnFile(const VnString& path);
    ~VnFile() override;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

    // Takes the whole contents of an existing regular file that opens, with
    // its name and path; otherwise changes nothing.
    void read(const VnString& path);
    // Saves the contents to path (see save).
    void write(const VnString& path);

    VnString& name();
    VnString& source();
    VnString& data();
    const VnString& name() const;
    const VnString& source() const;
    const VnString& data() const;

    // 1 when the path is a regular file (a link to one counts), else 0.
    static int exists(const VnString& path);
    // Creates a missing file empty, then stamps its access and modification
    // times with the current time. 1 when the file exists afterwards, else 0.
    static int touch(const VnString& path);
    // 1 when the file opens for appending as a regular file (a missing file is
    // created), else 0.
    static int writable(const VnString& path);
    // Modification time in seconds since 1970-01-01 00:00 UTC; 0 when the
    // status cannot be read.
    static long modified(const VnString& path);
    // Deletes the file: 1 on success, else 0.
    static int remove(const VnString& path);
    // Kept for callers on systems with hidden files; they do nothing here.
    static int hidden(const VnString& path);
    static int clearhidden(const VnString& path);

    // The whole contents; "" when the path is not a regular file, does not
    // open, or is too large to hold (2 GiB or more by its size when opened;
    // a text holds at most 2 GiB - 2 bytes). Every byte value is kept.
    //
    // load, loadpos and read take a file as large as it is when opened: bytes
    // added while it is read are left out. A file that reports size 0 (those
    // of /proc and /sys) is read to its end, unless more than 64 MiB are
    // left in it: then it is a file too large to hold. A file of known size is
    // read into one buffer made for its bytes and the closing NUL, which the
    // text keeps; loadpos makes one for the text's bytes and the file's when
    // these are at least as many.
    static VnString load(const VnString& path);
    // Replaces the file's contents by the bytes of text (the file is created
    // when missing). Does nothing when the file cannot be opened or is not a
    // regular file.
    static void save(const VnString& path, const VnString& text);
    // Adds the bytes of text at the end of the file (created when missing);
    // like save, does nothing when it cannot be opened as a regular file.
    static void append(const VnString& path, const VnString& text);
    // Appends to out the bytes from offset pos (0 when negative) to the end
    // of the file. Returns the offset just past the last byte read, or -1
    // (out unchanged) when the path is not a regular file, does not open, or
    // is too large to hold (2 GiB or more, whatever pos, or out could not
    // hold the bytes).
    static int loadpos(const VnString& path, int pos, VnString& out);

    // The bytes after the last "/"; the whole path without one.
    static VnString filename(const VnString& path);
    // The bytes before the last "/"; "" without one, or when it is the
    // path's first byte.
    static VnString dirbase(const VnString& path);
    // "vorn", the process id, "u", the counter and ".tmp"; then the counter
    // grows by one. The name has no directory part.
    static VnString uniquefile();

    // Numbers the names that uniquefile makes; starts at 0.
    static int _file_unique;

private:
    template <class Field>
    void fields(Field field) {
        field(0, "name", _name);
        field(2, "source", _source);
        field(1, "data", _data);
    }

    VnString _name;
    VnString _source;
    VnString _data;
};

// A packable list of files.
VN_DECLARE_LIST(VnFileList, VnFile, VN_TYPE_FILE_LIST, VN_XML_FILE_LIST)

#endif  // VN_SYSTEM_VNFILE_H
