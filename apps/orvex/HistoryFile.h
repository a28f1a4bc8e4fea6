// The shell's history across sessions: one file under the user's state folder.
#pragma once

#include <string>
#include <vector>

namespace OrvexLauncher {

/// Lines typed at the prompt, one per line of the file, oldest first. Each new line is appended
/// with a single write to a file opened for appending, so two shells at once interleave whole
/// lines and never lose one another's; the file is cut back to its newest lines when a session
/// starts and finds it well over the limit.
class HistoryFile {
public:
    /// The file for this user: $XDG_STATE_HOME/orvex/history, or ~/.local/state/orvex/history.
    /// ORVEX_HISTFILE names another file (empty: no history file). Empty when neither home nor
    /// state folder is known.
    static std::string defaultPath();

    HistoryFile(std::string path, std::size_t limit);
    /// Reads the file (creating its folder), keeping the newest `limit` lines.
    void load();
    const std::vector<std::string>& lines() const { return lines_; }
    /// Adds a line: to the file at once, unless it repeats the line before it.
    void append(const std::string& line);
    const std::string& path() const { return path_; }

private:
    void trim();

    std::string path_;
    std::size_t limit_;
    std::vector<std::string> lines_;
};

} // namespace OrvexLauncher
