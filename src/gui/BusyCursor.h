#pragma once

#include <QApplication>

// The hourglass pointer for the length of a scope, put back however the
// scope is left (an early return, an error box). Windows use this, never
// a hand-made set/restore pair that a return in between would leave set.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // What `work` returns, worked out under the hourglass; the pointer is
    // back before the caller shows the outcome.
    template <typename Work>
    static auto during(Work&& work)
    {
        BusyCursor busy;
        return work();
    }
};
