// The handle registry: who in the process holds each file open, asked to let go before the file changes.
#include "platform/files/registry.h"

#include <algorithm>

namespace files {

Registry& registry()
{
    static Registry r;
    return r;
}

namespace {

std::vector<HandleHolder*> holdersOf(const QString& path)
{
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.entries.find(key);
    return it == r.entries.end() ? std::vector<HandleHolder*>() : it->second.holders;
}

} // namespace

void track(const QString& path, HandleHolder* holder)
{
    if (!holder)
        return;
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    Entry& e = r.entries[key];
    auto& list = e.holders;
    if (std::find(list.begin(), list.end(), holder) != list.end())
        return;
    if (e.unused()) {
        try {
            markShared(e, path);
        } catch (...) {
            r.entries.erase(key);
            throw;
        }
    }
    list.push_back(holder);
}

void untrack(const QString& path, HandleHolder* holder)
{
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.entries.find(key);
    if (it == r.entries.end())
        return;
    auto& list = it->second.holders;
    list.erase(std::remove(list.begin(), list.end(), holder), list.end());
    if (it->second.unused()) {
        it->second.closeLock();
        r.entries.erase(it);
    }
}

void releaseHandles(const QString& path)
{
    // A holder may untrack itself while it lets go, so the list is copied first.
    for (HandleHolder* h : holdersOf(path))
        h->releaseHandle();
}

int holderCount(const QString& path)
{
    return static_cast<int>(holdersOf(path).size());
}

QString trackingKey(const QString& path)
{
    return resolve(path).toLower();
}

} // namespace files
