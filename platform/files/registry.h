#pragma once
// What the process knows of each file it uses, by tracking key (see trackingKey): the holders of its
// handles (handles.cpp) and its mark for other processes (lock_marks.cpp), which the first holder
// takes and the last one gives up. For the layer's own use.
//
// The layer is made in parts: paths.cpp resolves names, handles.cpp keeps the holders of each file,
// lock_marks.cpp marks the files in use for other processes and waits for theirs, durable_copies.cpp
// copies, renames and removes them.
#include "platform/files/files.h"

#include <QString>
#include <map>
#include <mutex>
#include <vector>

namespace files {

// What the process knows of one file: its holders, and its mark for other processes.
struct Entry {
    std::vector<HandleHolder*> holders;
    int lockFd = -1; // open while the process uses the file, whatever lock it holds
    bool lockWritable = false;
    int changing = 0; // nested exclusive uses in progress

    bool unused() const { return holders.empty() && changing == 0; }

    // The lock file, made when missing (see lock_marks.cpp), and closed.
    void openLock(const QString& path);
    void closeLock();
};

// The holders and marks of each file, by tracking key. The GUI thread is the only user; the lock only
// keeps the table sound should a worker ever touch it.
struct Registry {
    std::mutex lock;
    std::map<QString, Entry> entries;
};
Registry& registry();

// The shared mark of a file the process starts to use; waits while another process changes it.
void markShared(Entry& e, const QString& path);

} // namespace files
