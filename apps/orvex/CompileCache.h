// Compiled designs kept between sessions, so that an unchanged design starts without compiling.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace OrvexLauncher {

/// One folder per compile, named by a digest of everything that decides the compiler's output
/// apart from file contents (the compiler runs, the working folder, the tool identities). The
/// folder records the digest of every file the compile read, as the compiler's dependency list
/// names them, and a hit needs each to be unchanged. Entries are built under a temporary name and
/// renamed into place, so two sessions never see half an entry; the oldest entries are dropped
/// when the folder grows past its limit.
class CompileCache {
public:
    /// $XDG_CACHE_HOME/orvex/compile, or ~/.cache/orvex/compile; empty when neither is known.
    static std::string defaultFolder();
    /// The size limit in bytes: ORVEX_COMPILE_CACHE_MB, or 256 MB.
    static std::uint64_t defaultLimit();
    /// False when ORVEX_COMPILE_CACHE is "off" (the -nocache option does the same).
    static bool enabledByEnvironment();

    CompileCache(std::string folder, std::uint64_t limitBytes);

    /// The entry name for these compiler runs. `workDir` is replaced by a fixed word, since every
    /// session compiles into its own folder; `inputs` are files the runs read that the compiler's
    /// dependency list does not name (command files, our own back end).
    std::string key(const std::vector<std::vector<std::string>>& runs, const std::string& workDir,
                    const std::vector<std::string>& inputs) const;

    /// Copies the entry's `outputs` (file names) into `workDir` and its compiler messages into
    /// `messages` when the entry exists and every file it read is unchanged.
    bool fetch(const std::string& key, const std::vector<std::string>& outputs, const std::string& workDir,
               std::string& messages) const;

    /// Keeps the `outputs` in `workDir` under `key`, with the digests of the files listed in
    /// `dependencyList` (one path a line, as `iverilog -M` writes it). Nothing is kept when a
    /// listed file cannot be read or changed after `compileStart` (a file's modification time is
    /// compared with it), since the outputs may then not match it.
    void store(const std::string& key, const std::vector<std::string>& outputs, const std::string& workDir,
               const std::string& messages, const std::string& dependencyList, const timespec& compileStart) const;

private:
    void dropOldest(const std::string& keep) const;

    std::string folder_;
    std::uint64_t limit_;
};

} // namespace OrvexLauncher
