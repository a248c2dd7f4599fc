// A stand-in for the bank's PM22 password program, copied into a test's program folder as pm22.exe.
//
//     pm22.exe <request file> <answer file>
//
// Each start is numbered from 1 in the folder of the executable. It keeps the request's bytes as
// pm22-request-<n>.bin and a note of the start as pm22-start-<n>.txt: its arguments one to a line, then
// "answer present" or "answer absent" (whether the answer file was there when it started). Then it
// writes the answer file, "\"<password>\",<n>,0" and CR LF, with the password made from the request:
// its invoice number field (bytes 1 to 8) and the last eight bytes of its amount field (bytes 89 to 96).
//
// Line <n> of pm22-script.txt beside it, when there is one, changes what start <n> does:
//   ok      answer as above (also a missing or empty line)
//   fail    exit with code 3 and write nothing
//   silent  exit with 0 and write nothing
//   empty   answer with an empty first field: "\"\",<n>,0"
//   nul     answer with a NUL byte inside the password: "\"1234<NUL>5678\",<n>,0"
//   long    answer with a password of 100,000 characters
//   wait    wait until pm22-release.txt appears beside it, then answer as above
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string scriptLine(const fs::path& folder, int n)
{
    std::istringstream script(readAll(folder / "pm22-script.txt"));
    std::string line;
    for (int i = 1; std::getline(script, line); ++i)
        if (i == n) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            return line;
        }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pm22.exe <request file> <answer file>\n");
        return 2;
    }
    const fs::path folder = fs::canonical(fs::path(argv[0])).parent_path();
    int n = 1;
    while (fs::exists(folder / ("pm22-start-" + std::to_string(n) + ".txt")))
        ++n;
    const std::string request = readAll(argv[1]);
    writeAll(folder / ("pm22-request-" + std::to_string(n) + ".bin"), request);
    writeAll(folder / ("pm22-start-" + std::to_string(n) + ".txt"),
             std::string(argv[1]) + "\n" + argv[2] + "\n" + (fs::exists(argv[2]) ? "answer present" : "answer absent") +
                 "\n");

    const std::string behaviour = scriptLine(folder, n);
    if (behaviour == "fail")
        return 3;
    if (behaviour == "silent")
        return 0;
    if (behaviour == "wait")
        while (!fs::exists(folder / "pm22-release.txt"))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));

    std::string password;
    if (behaviour == "nul")
        password = std::string("1234") + '\0' + "5678";
    else if (behaviour == "long")
        password = std::string(100000, '7');
    else if (behaviour != "empty" && request.size() >= 96)
        password = request.substr(0, 8) + request.substr(88, 8);
    writeAll(argv[2], "\"" + password + "\"," + std::to_string(n) + ",0\r\n");
    return 0;
}
