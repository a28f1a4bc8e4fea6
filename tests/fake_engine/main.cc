// A stand-in engine for the engine-control tests: it speaks the engine protocol on descriptors 3
// and 4 with a small fixed design, and misbehaves on request so that failures can be tested.
//
// Options:
//   --log FILE       append every request line received to FILE
//   --garbage        send malformed lines right after *ready
//   --hang-on CMD    read CMD but never answer it
//   --slow-on CMD    work on CMD for 1 s, reporting *progress every 100 ms, then answer it
//   --fail-on CMD    answer CMD with ^error,msg="CMD refused"
//   --garble CMD     answer CMD with a malformed result line
//   --refuse-quit    answer quit with accepted="0"
//   --crash-on CMD   answer CMD, then die of SIGSEGV
//   --print          on run, write to standard output and error before stopping
//   --fork-child     start a child process that sleeps (as an engine restarting would)
//   --ignore-exit    answer exit but go on running
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <chrono>
#include <set>
#include <thread>
#include <string>
#include <unistd.h>

#include "Mi.h"
#include "ProtocolWords.h"

namespace {

using Orvex::Mi::Value;
namespace Request = Orvex::Protocol::Request;
namespace Reason = Orvex::Protocol::Reason;
namespace Field = Orvex::Protocol::Field;

std::FILE* records = nullptr;
std::string logFile;
std::set<std::string> hangOn, slowOn, failOn, garble, crashOn;
bool garbage = false, refuseQuit = false, print = false,
     forkChild = false, ignoreExit = false;
int childPid = 0;

void send(const std::string& line) {
    std::fputs((line + "\n").c_str(), records);
    std::fflush(records);
}

void done(std::uint64_t token, const Value& fields = Value::tuple()) {
    std::string line = std::to_string(token) + "^done";
    if (!fields.fields.empty())
        line += "," + Orvex::Mi::encodeFields(fields);
    send(line);
}

Value object(const char* name, const char* kind, const char* dir, int width, int size) {
    return Value::tuple()
        .add(Field::Name, name)
        .add(Field::Kind, kind)
        .add(Field::Dir, dir)
        .add(Field::Width, width)
        .add(Field::Msb, width - 1)
        .add(Field::Lsb, 0)
        .add(Field::Signed, "0")
        .add(Field::Size, size)
        .add(Field::First, 0)
        .add(Field::Last, size > 0 ? size - 1 : 0)
        .add(Field::File, "top.v")
        .add(Field::Line, 3);
}

Value scope(const char* name, const char* kind, const char* file, int line, Value children,
            Value objects) {
    return Value::tuple()
        .add(Field::Name, name)
        .add(Field::Kind, kind)
        .add(Field::File, file)
        .add(Field::Line, line)
        .add(Field::InstanceFile, std::string(kind) == "module" && std::string(name) != "top" ? "top.v" : "")
        .add(Field::InstanceLine, std::string(name) == "u1" ? "7" : "")
        .add(Field::Children, std::move(children))
        .add(Field::Objects, std::move(objects));
}

// /top (clk, mem[16]) with u1 (q[7:0] out, r real) holding a begin block blk and a process p0.
Value design() {
    Value u1Children = Value::list();
    u1Children.push(scope("blk", "begin", "cell.v", 9, Value::list(), Value::list()));
    u1Children.push(scope("p0", "always", "cell.v", 12, Value::list(), Value::list()));
    Value u1Objects = Value::list();
    u1Objects.push(object("q", "reg", "out", 8, 0));
    u1Objects.push(object("r", "real", "", 64, 0));
    Value topChildren = Value::list();
    topChildren.push(scope("u1", "module", "cell.v", 1, std::move(u1Children), std::move(u1Objects)));
    Value topObjects = Value::list();
    topObjects.push(object("clk", "net", "", 1, 0));
    topObjects.push(object("mem", "memory", "", 8, 16));
    Value tops = Value::list();
    tops.push(scope("top", "module", "top.v", 1, std::move(topChildren), std::move(topObjects)));
    return Value::tuple().add(Field::Resolution, "-9").add(Field::Tops, std::move(tops));
}

std::string openDescriptors() {
    std::string list;
    if (DIR* dir = opendir("/proc/self/fd")) {
        const int own = dirfd(dir);
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own)
                continue;
            list += (list.empty() ? "" : ",") + std::string(entry->d_name);
        }
        closedir(dir);
    }
    return list;
}

void serve(const Orvex::Mi::Request& request) {
    const std::string& command = request.command;
    const auto arg = [&](std::size_t i) {
        return i < request.args.size() ? request.args[i] : std::string();
    };
    const std::uint64_t token = request.token;
    if (hangOn.count(command))
        return;
    if (slowOn.count(command)) {
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            send("*progress");
        }
    }
    if (failOn.count(command)) {
        send(std::to_string(token) + "^error,msg=" + Orvex::Mi::quote(command + " refused"));
        return;
    }
    if (garble.count(command)) {
        send(std::to_string(token) + "^done,value=\"unterminated");
        return;
    }

    if (command == Request::Design) {
        done(token, design());
    } else if (command == Request::Run) {
        done(token);
        if (print) {
            std::fputs("design says hi\n", stdout);
            std::fflush(stdout);
            std::fputs("design warns\n", stderr);
            std::fflush(stderr);
        }
        send("*capture-resumed");
        send(std::string("*stopped,reason=\"") + Reason::RunComplete + "\",time=\"" + arg(0) + "\"");
    } else if (command == Request::Status) {
        const char* fds = std::getenv("ORVEX_ENGINE_FDS");
        std::string text = std::string("fds=") + (fds ? fds : "") + " open=" + openDescriptors() +
                           " group=" + (getpgrp() == getpid() ? "own" : "shared");
        done(token, Value::tuple()
                        .add(Field::Code, "1")
                        .add(Field::Time, "42")
                        .add(Field::Text, text)
                        .add(Field::Detail, std::to_string(childPid)));
    } else if (command == Request::Value) {
        done(token, Value::tuple().add(Field::Value, arg(0) + " " + arg(1)));
    } else if (command == Request::Values) {
        Value values = Value::list();
        values.push(Value::tuple().add(Field::Path, "/top/clk").add(Field::Value, "1"));
        values.push(Value::tuple().add(Field::Path, "/top/ghost").add(Field::Value, "0"));
        values.push(Value::tuple().add(Field::Path, "/top/u1").add(Field::Value, "-"));
        values.push(Value::tuple().add(Field::Path, "/top/mem[2]").add(Field::Value, "8'h0f"));
        done(token, Value::tuple().add(Field::Values, std::move(values)));
    } else if (command == Request::Drivers) {
        Value drivers = Value::list();
        drivers.push(Value::tuple()
                         .add(Field::Object, arg(0))
                         .add(Field::Driver, "/top/u1/p0")
                         .add(Field::Kind, "5")
                         .add(Field::Text, "always"));
        drivers.push(Value::tuple()
                         .add(Field::Object, arg(0))
                         .add(Field::Driver, "/top/nowhere")
                         .add(Field::Kind, "0")
                         .add(Field::Text, "assign"));
        drivers.push(Value::tuple()
                         .add(Field::Object, arg(0))
                         .add(Field::Driver, "/top/clk")
                         .add(Field::Kind, "0")
                         .add(Field::Text, ""));
        done(token, Value::tuple().add(Field::Drivers, std::move(drivers)));
    } else if (command == Request::Loads) {
        Value loads = Value::list();
        loads.push(
            Value::tuple().add(Field::Object, arg(0)).add(Field::Load, "/top/u1").add(Field::Kind, "5").add(Field::Index, "2"));
        done(token, Value::tuple().add(Field::Loads, std::move(loads)));
    } else if (command == Request::BpAdd) {
        done(token, Value::tuple().add(Field::Index, "3"));
    } else if (command == Request::BpList) {
        Value list = Value::list();
        list.push(Value::tuple().add(Field::Index, "1").add(Field::File, "top.v").add(Field::Line, "5"));
        list.push(Value::tuple().add(Field::Index, "3").add(Field::File, "cell.v").add(Field::Line, "12"));
        done(token, Value::tuple().add(Field::Breakpoints, std::move(list)));
    } else if (command == Request::CondAdd) {
        done(token, Value::tuple().add(Field::Id, "7"));
    } else if (command == Request::CondList) {
        Value list = Value::list();
        list.push(Value::tuple()
                      .add(Field::Id, "7")
                      .add(Field::Expression, "\"clk == 1\"")
                      .add(Field::Radix, "hex")
                      .add(Field::Label, "c1"));
        list.push(Value::tuple().add(Field::Id, "8").add(Field::Expression, "q").add(Field::Radix, "5").add(Field::Label, ""));
        done(token, Value::tuple().add(Field::Conditions, std::move(list)));
    } else if (command == Request::Quit) {
        done(token, Value::tuple().add(Field::Accepted, refuseQuit ? "0" : "1"));
        if (!refuseQuit)
            std::exit(0);
    } else if (command == Request::Exit) {
        done(token);
        if (!ignoreExit)
            std::exit(0);
    } else {
        done(token);
    }
    if (crashOn.count(command)) {
        std::signal(SIGSEGV, SIG_DFL); // past any handler a sanitizer installed
        raise(SIGSEGV);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&]() { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (option == "--log") logFile = value();
        else if (option == "--garbage") garbage = true;
        else if (option == "--hang-on") hangOn.insert(value());
        else if (option == "--slow-on") slowOn.insert(value());
        else if (option == "--fail-on") failOn.insert(value());
        else if (option == "--garble") garble.insert(value());
        else if (option == "--crash-on") crashOn.insert(value());
        else if (option == "--refuse-quit") refuseQuit = true;
        else if (option == "--print") print = true;
        else if (option == "--fork-child") forkChild = true;
        else if (option == "--ignore-exit") ignoreExit = true;
    }
    std::FILE* requests = fdopen(3, "r");
    records = fdopen(4, "w");
    if (!requests || !records) {
        std::fputs("fake engine: descriptors 3 and 4 are not open\n", stderr);
        return 2;
    }
    if (forkChild) {
        childPid = fork();
        if (childPid == 0) {
            for (int i = 0; i < 600; ++i)
                sleep(1);
            _exit(0);
        }
    }
    send("*ready,version=\"1\",resolution=\"-9\"");
    if (garbage) {
        send("this is not a record");
        send("*stopped,reason=\"broken");
        send("~\"still talking\\n\"");
    }

    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, requests)) > 0) {
        std::string text(line, static_cast<std::size_t>(length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (!logFile.empty())
            if (std::FILE* log = std::fopen(logFile.c_str(), "a")) {
                std::fputs((text + "\n").c_str(), log);
                std::fclose(log);
            }
        try {
            serve(Orvex::Mi::parseRequest(text));
        } catch (const Orvex::Mi::ParseError& e) {
            send("~" + Orvex::Mi::quote(std::string("bad request: ") + e.what()));
        }
    }
    std::free(line);
    return 0;
}
