#pragma once

#include <QString>

#include <vector>

#include "shell/CameraEntry.h"

// What the camera list knows of its rows and what ticking one means: at most nine ticked,
// the password asked for only when it is not known, and what a rescan must not forget.
class CameraSelection final {
public:
    static constexpr int kMaxTicked = 9;

    struct Row {
        QString cameraIp;
        bool ticked = false;
        bool passwordKnown = false;  // the preview icon; a tick needs no password page
    };

    // What a click on an unticked row's box leads to.
    enum class Tick {
        Refused,         // nine are ticked already
        Ticked,          // the password is known: ticked at once
        EnterPassword,   // ask for the camera's password
        CreatePassword,  // the camera has none yet: make one
    };

    // What a click on a ticked row's box leads to: the row or, when the greyed rows turn
    // black again, the whole list must be drawn anew.
    enum class Untick { Row, WholeList };

    // Rebuilds the rows from the session's entries in list order, ticking again what was
    // remembered by MAC before the rescan; the entries get the remembered passwords.
    void fill(const std::vector<CameraEntry*>& entries);
    // Before a rescan: the password-known rows, kept by their camera's MAC.
    void remember(const std::vector<CameraEntry*>& entries);

    // A click on the box of unticked row `row`; `entry` is the first entry with its IP.
    Tick requestTick(int row, const CameraEntry* entry);
    // The password of `row` was accepted by a worker: tick it. False when the limit or a
    // vanished row forbids it.
    bool tickAccepted(int row, bool passwordKnown);
    Untick untick(int row);

    int tickedCount() const { return tickedCount_; }
    bool full() const { return tickedCount_ >= kMaxTicked; }
    const std::vector<Row>& rows() const { return rows_; }
    const Row* row(int index) const;

private:
    struct Remembered {
        QString cameraIp;
        QString cameraMac;
        bool ticked = false;
        QString password;
    };

    std::vector<Row> rows_;
    std::vector<Remembered> remembered_;
    int tickedCount_ = 0;
};
