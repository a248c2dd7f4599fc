// Builds one shipped database file: runs an SQL script into a new SQLite file (replacing an older
// build output, never a file of a program folder: it writes only into the build tree).
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qelv-mkdb script.sql out.mdb\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qelv-mkdb: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string out = argv[2];
    const std::string tmp = out + ".part";
    std::remove(tmp.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(tmp.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "qelv-mkdb: cannot create %s\n", tmp.c_str());
        return 1;
    }
    char* err = nullptr;
    const std::string script = "PRAGMA journal_mode=DELETE; PRAGMA user_version=1; BEGIN;\n" + ss.str() + "\nCOMMIT;";
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "qelv-mkdb: %s: %s\n", argv[1], err ? err : "error");
        sqlite3_free(err);
        sqlite3_close(db);
        std::remove(tmp.c_str());
        return 1;
    }
    sqlite3_close(db);
    if (std::rename(tmp.c_str(), out.c_str()) != 0) {
        std::fprintf(stderr, "qelv-mkdb: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
