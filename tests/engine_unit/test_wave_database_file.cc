// The waveform database file: readable at every moment, side files never clobber a user's file,
// a full disk leaves a file that ends at a whole piece.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "WaveDatabaseFile.h"

namespace OrvexEngine {
namespace {

struct TempDir {
    std::string path;
    TempDir() {
        char name[] = "/tmp/orvex-wdbfile-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        DIR* dir = ::opendir(path.c_str());
        while (dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.' || (e->d_name[1] != '\0' && e->d_name[1] != '.')) names.push_back(e->d_name);
        ::closedir(dir);
        return names;
    }
};

std::string readFile(const std::string& name) {
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string header(int vars) {
    std::string text = "$timescale 1ns $end\n$scope module tb $end\n";
    for (int i = 0; i < vars; ++i) text += "$var wire 1 v" + std::to_string(i) + " sig" + std::to_string(i) + " $end\n";
    return text + "$upscope $end\n$enddefinitions $end\n";
}

ino_t inodeOf(const std::string& name) {
    struct stat st {};
    ::stat(name.c_str(), &st);
    return st.st_ino;
}

TEST(WaveDatabaseFile, HeaderFirstThenBodyAndGrowingHeaders) {
    TempDir dir;
    const std::string name = dir.path + "/run.wdb";
    WaveDatabaseFile file;
    ASSERT_EQ(file.create(name, header(1)), "");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"run.wdb"}); // no side file left
    ASSERT_EQ(file.append("#0\n0v0\n#10\n"), "");
    std::string text = readFile(name);
    EXPECT_EQ(text.find("$timescale"), 0u);
    EXPECT_NE(text.find("$enddefinitions $end\n#0\n0v0\n#10\n"), std::string::npos) << text;

    // A few more variables fit in the room: the header is rewritten in place.
    const ino_t before = inodeOf(name);
    ASSERT_EQ(file.setHeader(header(20)), "");
    ASSERT_EQ(file.append("1v19\n#20\n"), "");
    text = readFile(name);
    EXPECT_EQ(inodeOf(name), before);
    EXPECT_NE(text.find("sig19 $end"), std::string::npos);
    EXPECT_NE(text.find("$enddefinitions $end\n#0\n0v0\n#10\n1v19\n#20\n"), std::string::npos);

    // Far more than the room: a new file with a larger room replaces it, the body is kept.
    ASSERT_EQ(file.setHeader(header(5000)), "");
    ASSERT_EQ(file.append("#30\n"), "");
    text = readFile(name);
    EXPECT_NE(inodeOf(name), before);
    EXPECT_NE(text.find("sig4999 $end"), std::string::npos);
    EXPECT_NE(text.find("$enddefinitions $end\n#0\n0v0\n#10\n1v19\n#20\n#30\n"), std::string::npos);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"run.wdb"});
}

TEST(WaveDatabaseFile, SideFilesNeverTakeAUsersFile) {
    TempDir dir;
    const std::string name = dir.path + "/run.wdb";
    for (const char* user : {"/run.wdb.body", "/.run.wdb.XXXXXX"}) std::ofstream(dir.path + user) << "mine";
    WaveDatabaseFile file;
    ASSERT_EQ(file.create(name, header(1)), "");
    ASSERT_EQ(file.setHeader(header(5000)), "");
    EXPECT_EQ(readFile(dir.path + "/run.wdb.body"), "mine");
    EXPECT_EQ(readFile(dir.path + "/.run.wdb.XXXXXX"), "mine");
    EXPECT_EQ(dir.entries().size(), 3u);
}

TEST(WaveDatabaseFile, AFullDiskStopsAtAWholePiece) {
    TempDir dir;
    const std::string name = dir.path + "/run.wdb";
    WaveDatabaseFile file;
    ASSERT_EQ(file.create(name, header(1)), "");
    ASSERT_EQ(file.append("#0\n0v0\n"), "");
    const off_t good = static_cast<off_t>(readFile(name).size());
    // The file size limit stands in for a full disk: writes past it fail (SIGXFSZ ignored).
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(good + 10);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string failure = file.append(std::string(100, '1') + "\n#5\n");
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_NE(failure.find("cannot write"), std::string::npos) << failure;
    EXPECT_EQ(static_cast<off_t>(readFile(name).size()), good);
}

TEST(WaveDatabaseFile, RoomIsSpacesInAComment) {
    const std::string padded = WaveDatabaseFile::padHeader(header(2), 20000);
    EXPECT_EQ(padded.size(), 20000u);
    EXPECT_EQ(padded.compare(padded.size() - 21, 21, "$enddefinitions $end\n"), 0);
    EXPECT_NE(padded.find("$comment"), std::string::npos);
    EXPECT_EQ(WaveDatabaseFile::padHeader(header(2), 10), "");
}

} // namespace
} // namespace OrvexEngine
