#pragma once
// What the benchmark programs share: the median of the repetitions, their count, and a program folder
// with fresh copies of the shipped files.
#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// QELV_BENCH_REPETITIONS when set, else `fallback`.
inline int repetitions(int fallback = 5)
{
    const int n = qEnvironmentVariableIntValue("QELV_BENCH_REPETITIONS");
    return n > 0 ? n : fallback;
}

// Copies the shipped database files of `shippedDir`/Data into `to`.
inline bool copyShipped(const QString& shippedDir, const QString& to)
{
    const QDir from(shippedDir + QStringLiteral("/Data"));
    QDir().mkpath(to);
    for (const QString& name : from.entryList(QDir::Files))
        if (!QFile::copy(from.filePath(name), to + QLatin1Char('/') + name))
            return false;
    return true;
}

} // namespace bench
