// A renumbering in a process of its own, for the tests that kill it in the middle of its writes (see
// tests/fixtures/kill_point_vfs.h): the program folder comes from QELV_HOME; it says "start" just before
// the change begins and "done" once it is committed.
//   renumbering_child <old number> <new number> <year>
#include "platform/db/connection.h"
#include "qelv/core/data_files.h"
#include "qelv/frame/enterprise_renumbering.h"
#include "tests/fixtures/kill_point_vfs.h"

#include <iostream>

int main(int argc, char** argv)
{
    fixtures::installKillPoints();
    if (argc != 4)
        return 2;
    try {
        db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        std::cout << "start" << std::endl;
        enterpriseRenumbering::renumber(enterprises, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                                        std::atoi(argv[3]));
        std::cout << "done" << std::endl;
    } catch (const std::exception& e) {
        std::cout << "error " << e.what() << std::endl;
        return 1;
    }
    return 0;
}
