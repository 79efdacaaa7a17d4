#include "shell/CameraSelection.h"

#include <algorithm>

#include "shell/CameraList.h"

void CameraSelection::remember(const std::vector<CameraEntry*>& entries) {
    for (const Row& row : rows_) {
        if (!row.passwordKnown) {
            continue;
        }
        for (const CameraEntry* entry : entries) {
            if (entry == nullptr || entry->cameraIp != row.cameraIp || entry->password.isEmpty()) {
                continue;
            }
            auto known =
                std::find_if(remembered_.begin(), remembered_.end(),
                             [&](const Remembered& r) { return r.cameraMac == entry->cameraMac; });
            if (known != remembered_.end()) {
                known->ticked = row.ticked;
                known->password = entry->password;
            } else {
                remembered_.push_back(
                    {row.cameraIp, entry->cameraMac, row.ticked, entry->password});
            }
        }
    }
}

void CameraSelection::fill(const std::vector<CameraEntry*>& entries) {
    rows_.clear();
    tickedCount_ = 0;
    for (CameraEntry* entry : entries) {
        if (entry == nullptr) {
            continue;
        }
        Row row{entry->cameraIp, false, cameras::PasswordKnownWhenListed(*entry)};
        for (const Remembered& known : remembered_) {
            if (known.cameraMac != entry->cameraMac) {
                continue;
            }
            // The limit holds for remembered ticks too.
            if (known.ticked && !row.ticked && !full()) {
                row.ticked = true;
                ++tickedCount_;
            }
            entry->password = known.password;
            entry->verified = 1;
            row.passwordKnown = true;
        }
        rows_.push_back(row);
    }
}

const CameraSelection::Row* CameraSelection::row(int index) const {
    return index >= 0 && index < static_cast<int>(rows_.size())
               ? &rows_[static_cast<std::size_t>(index)]
               : nullptr;
}

CameraSelection::Tick CameraSelection::requestTick(int index, const CameraEntry* entry) {
    const Row* current = row(index);
    if (current == nullptr || current->ticked || full() || entry == nullptr) {
        return Tick::Refused;
    }
    if ((current->passwordKnown && !entry->password.isEmpty()) || entry->verified == 1) {
        rows_[static_cast<std::size_t>(index)].ticked = true;
        ++tickedCount_;
        return Tick::Ticked;
    }
    // A camera listed under "admin" has a password the recorder does not show: it is asked
    // for. Another account without a password means the camera has none yet.
    return entry->password.isEmpty() && !entry->account.isEmpty() && !current->passwordKnown
               ? Tick::CreatePassword
               : Tick::EnterPassword;
}

bool CameraSelection::tickAccepted(int index, bool passwordKnown) {
    const Row* current = row(index);
    if (current == nullptr || current->ticked || full()) {
        return false;
    }
    Row& target = rows_[static_cast<std::size_t>(index)];
    target.ticked = true;
    target.passwordKnown = target.passwordKnown || passwordKnown;
    ++tickedCount_;
    return true;
}

CameraSelection::Untick CameraSelection::untick(int index) {
    const Row* current = row(index);
    if (current == nullptr || !current->ticked) {
        return Untick::Row;
    }
    const bool wasFull = full();
    rows_[static_cast<std::size_t>(index)].ticked = false;
    tickedCount_ = std::max(0, tickedCount_ - 1);
    return wasFull && !full() ? Untick::WholeList : Untick::Row;
}
