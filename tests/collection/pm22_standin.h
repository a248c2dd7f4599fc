#pragma once
// The PM22 stand-in (pm22_standin.cpp) in a test's program folder: installed under the bank program's
// name, told per start what to do, and read back for the requests it got.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace collectionTests {

class Pm22StandIn {
public:
    explicit Pm22StandIn(QString folder)
        : folder_(std::move(folder))
    {
    }

    // Copies the stand-in into the folder under `name` (pm22.exe, or another spelling of it).
    void install(const QString& name = QStringLiteral("pm22.exe")) const
    {
        const QString target = at(name);
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(QStringLiteral(PM22_STANDIN), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // What each start does, in order: "ok", "fail", "silent", "empty", "nul", "long", "wait".
    void script(const QStringList& behaviours) const
    {
        write(QStringLiteral("pm22-script.txt"), behaviours.join('\n').toUtf8());
    }
    // Lets a waiting start go on.
    void release() const { write(QStringLiteral("pm22-release.txt"), "go"); }

    // How often it was started.
    int starts() const
    {
        int n = 0;
        while (QFile::exists(at(QStringLiteral("pm22-start-%1.txt").arg(n + 1))))
            ++n;
        return n;
    }
    // The bytes of start n's request (from 1).
    QByteArray request(int n) const { return read(QStringLiteral("pm22-request-%1.bin").arg(n)); }
    // Start n's two arguments and whether the answer file was there when it started.
    QStringList start(int n) const
    {
        return QString::fromUtf8(read(QStringLiteral("pm22-start-%1.txt").arg(n))).split('\n', Qt::SkipEmptyParts);
    }
    // The password it gives for a request.
    static QString passwordFor(const QByteArray& request)
    {
        return QString::fromLatin1(request.left(8) + request.mid(88, 8));
    }

    QString at(const QString& name) const { return folder_ + QLatin1Char('/') + name; }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(at(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile f(at(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private:
    QString folder_;
};

} // namespace collectionTests
