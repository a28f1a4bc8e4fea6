// A client over a saved waveform database: the design hierarchy comes from the database's
// header; there is no engine.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "client/VcdHeaderReader.h"
#include "orvex/DataReader.h"
#include "orvex/Exceptions.h"
#include "tavrin/SimClient.h"

namespace Tavrin {

StaticSimClient::StaticSimClient(const StringBase& databaseFile)
    : reader_(std::make_unique<DataReader>(DataReader::SavedDatabaseMode, "", databaseFile, 0)) {
    const std::string& name = databaseFile.str();
    std::error_code ignored;
    if (std::filesystem::is_directory(name, ignored))
        throw Orvex::OpenException("Orvex", __FILE__, ORVEX_REVISION, __LINE__,
                                   "Cannot open the waveform database '" + name +
                                       "': it is a directory");
    errno = 0;
    std::ifstream in(name, std::ios::in | std::ios::binary);
    if (!in) {
        std::string message = "Cannot open the waveform database '" + name + "'";
        if (errno != 0)
            message += ": " + std::string(std::strerror(errno));
        throw Orvex::OpenException("Orvex", __FILE__, ORVEX_REVISION, __LINE__, message);
    }
    loadVcdHeader(in, name, *reader_);
}

StaticSimClient::~StaticSimClient() = default;

IReader* StaticSimClient::getReader() const { return reader_.get(); }

} // namespace Tavrin
