#pragma once
// The data environment of the printed reports: four connections, one for each report's file, and the
// commands the reports read. Creating it points each connection at the file of the operating month (or
// year) when that file exists, else at the shipped template of the same kind; nothing is opened until
// a report reads a command. It lives for one print: the printing operation loads it before it renders
// and unloads it on every way out, so the next print makes a new one for the month valid then.
#include "platform/error/error.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace db {
class Connection;
}

namespace report {
class RowSource;
}

class DataEnv {
public:
    // A command that does not exist, or a child command read on its own.
    class Error : public platform::Error {
    public:
        using platform::Error::Error;
    };

    // Chooses the four files for Module1::gWorkMonth, in the order Conn, Conn2, conn3, Conn4.
    DataEnv();
    ~DataEnv();
    DataEnv(const DataEnv&) = delete;
    DataEnv& operator=(const DataEnv&) = delete;

    // "Conn", "Conn2", "conn3", "Conn4".
    static QStringList connectionNames();
    // The file a connection was pointed at (names compared without regard to case); throws Error for
    // an unknown connection.
    QString fileOf(const QString& connection) const;
    bool isOpen(const QString& connection) const;
    // The connection, opened on first use; throws db::Error when its file cannot be opened.
    db::Connection& connection(const QString& connection);

    // "Command1" .. "Command6".
    static QStringList commandNames();
    // The rows of a command, read-only, opening its connection. Command1 and Command4 give a
    // report::ParentSource whose children are Command2 and Command5, related on DanWeiBianHao; those two
    // are read only through their parent (Error otherwise).
    std::unique_ptr<report::RowSource> command(const QString& name);

    // The one loaded instance, made and initialised by load() when there is none.
    static DataEnv& load();
    static void unload();
    static bool isLoaded();

    // Loads the environment for as long as it lives and unloads it however the scope is left.
    class Loaded {
    public:
        Loaded()
            : env_(load())
        {
        }
        ~Loaded() { unload(); }
        Loaded(const Loaded&) = delete;
        Loaded& operator=(const Loaded&) = delete;
        DataEnv* operator->() const { return &env_; }
        DataEnv& operator*() const { return env_; }

    private:
        DataEnv& env_;
    };

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
