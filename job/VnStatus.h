#ifndef VN_JOB_VNSTATUS_H
#define VN_JOB_VNSTATUS_H

#include <iosfwd>

#include "base/VnDebug.h"
#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"

// The status of a job, subjob or work item: a code, with a word for each known code. Any
// integer may be stored and travels unchanged; a code without a word reads "none". A code
// is active while its bit 256 is set and done otherwise, known or not.
class VnStatus : public VnPack {
public:
    VnStatus();
    // Not explicit: a code or a word stands wherever a status is taken.
    VnStatus(int code);
    // As value(word).
    VnStatus(const VnString& word);
    VnStatus(const VnStatus& other);
    ~VnStatus() override;

    // Member-wise: the code.
    VnStatus& operator=(const VnStatus& other) = default;
    // The code itself, never the word of the number.
    VnStatus& operator=(int code);
    VnStatus& operator=(const VnString& word);
    void copy(const VnStatus& other);
    void copy(const VnString& word);

    // Stores the code unchanged.
    void value(int code);
    // The code of the word, compared exactly; 0 for "none" and any other word.
    void value(const VnString& word);
    // The word of the code; "none" for a code without one.
    VnString value() const;
    int integervalue() const;

    // Each answers 0 or 1.
    int active() const { return (_code & ACTIVE_BIT) != 0; }
    int done() const { return !active(); }
    int none() const { return _code == NONE; }
    int saved() const { return _code == SAVED; }
    int complete() const { return _code == COMPLETE; }
    int warning() const { return _code == WARNING; }
    int failed() const { return _code == FAILED; }
    int killed() const { return _code == KILLED; }
    int blocked() const { return _code == BLOCKED; }
    int paused() const { return _code == PAUSED; }
    int suspended() const { return _code == SUSPENDED; }
    int pending() const { return _code == PENDING; }
    int waiting() const { return _code == WAITING; }
    int badlogin() const { return _code == BADLOGIN; }
    int running() const { return _code == RUNNING; }
    // Suspended, waiting or running: a worker holds it.
    int assigned() const { return suspended() || waiting() || running(); }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

    // The codes with a word.
    static constexpr int NONE = 0;
    static constexpr int SAVED = 5;
    static constexpr int COMPLETE = 16;
    static constexpr int WARNING = 21;
    static constexpr int FAILED = 32;
    static constexpr int KILLED = 48;
    static constexpr int BLOCKED = 272;
    static constexpr int PAUSED = 293;
    static constexpr int SUSPENDED = 304;
    static constexpr int PENDING = 320;
    static constexpr int WAITING = 323;
    static constexpr int BADLOGIN = 325;
    static constexpr int RUNNING = 336;
    // Set in every active code.
    static constexpr int ACTIVE_BIT = 0x100;

private:
    template <class Field>
    void fields(Field field) {
        field(1, "value", _code);
    }

    int _code;
};

// Each writes the word of the status.
std::ostream& operator<<(std::ostream& os, const VnStatus& status);
VnDebug& operator<<(VnDebug& debug, const VnStatus& status);

#endif  // VN_JOB_VNSTATUS_H
