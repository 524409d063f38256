#ifndef VN_JOB_VNSTATUSTALLY_H
#define VN_JOB_VNSTATUSTALLY_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"

// How many subjobs or work items stand in each status: eleven counters, one per status that
// the counts tell apart. Codes without a counter of their own ("none", "saved", "paused" and
// every unknown code) count as unknown.
//
// Sums and additions wrap around at 32 bits instead of overflowing.
class VnStatusTally : public VnPack {
public:
    VnStatusTally();
    VnStatusTally(const VnStatusTally& other);
    ~VnStatusTally() override;

    // Member-wise: all eleven counters.
    VnStatusTally& operator=(const VnStatusTally& other) = default;
    void copy(const VnStatusTally& other);
    void clear();

    // Adds each of other's counters to this tally's.
    void add(const VnStatusTally& other);
    // Adds n (which may be negative) to the counter of the status code.
    void add(int code, int n);
    // The counter of the status code.
    int get(int code) const;

    int complete() const { return _complete; }
    int failed() const { return _failed; }
    int killed() const { return _killed; }
    int blocked() const { return _blocked; }
    int waiting() const { return _waiting; }
    int suspended() const { return _suspended; }
    int pending() const { return _pending; }
    int running() const { return _running; }
    int unknown() const { return _unknown; }
    int warning() const { return _warning; }
    int badlogin() const { return _badlogin; }

    // complete + failed + killed + warning
    int done() const;
    // blocked + waiting + suspended + pending + running
    int active() const;
    // waiting + suspended + running
    int assigned() const;
    // all eleven
    int total() const;

    // The eleven counters in decimal, in the order of fields() below, one blank between.
    VnString convert() const;
    // Sets every counter from a text in the form convert() writes. Each counter takes the run
    // of digits at the cursor (0 when there is none), then blanks are skipped. No sign is
    // read: from a "-" on every counter becomes 0. Digit runs wrap around at 32 bits.
    void revert(const VnString& text);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The order of the packed forms and of the text form; the tags count from 0.
    template <class Field>
    void fields(Field field) {
        field(0, "running", _running);
        field(1, "blocked", _blocked);
        field(2, "complete", _complete);
        field(3, "pending", _pending);
        field(4, "suspended", _suspended);
        field(5, "failed", _failed);
        field(6, "killed", _killed);
        field(7, "waiting", _waiting);
        field(8, "unknown", _unknown);
        field(9, "warning", _warning);
        field(10, "badlogin", _badlogin);
    }

    // The counter that counts the status code.
    static int VnStatusTally::*counter(int code);

    int _complete;
    int _failed;
    int _killed;
    int _blocked;
    int _waiting;
    int _suspended;
    int _pending;
    int _running;
    int _unknown;
    int _warning;
    int _badlogin;
};

#endif  // VN_JOB_VNSTATUSTALLY_H
