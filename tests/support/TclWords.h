// The argument words of one command line as Tcl objects, for tests of argument parsers.
#pragma once

#include <tcl.h>

#include <initializer_list>
#include <vector>

namespace Tavrin {
namespace Test {

/// Holds one reference to each word's Tcl object for the life of the test.
class TclWords {
public:
    TclWords(std::initializer_list<const char*> words) {
        // Tcl objects need Tcl's subsystems, which are set up once per process.
        static const bool tclReady = (Tcl_FindExecutable(nullptr), true);
        (void)tclReady;
        for (const char* word : words) {
            Tcl_Obj* object = Tcl_NewStringObj(word, -1);
            Tcl_IncrRefCount(object);
            objects_.push_back(object);
        }
    }
    ~TclWords() {
        for (Tcl_Obj* object : objects_) Tcl_DecrRefCount(object);
    }
    TclWords(const TclWords&) = delete;
    TclWords& operator=(const TclWords&) = delete;
    int count() const { return static_cast<int>(objects_.size()); }
    Tcl_Obj* const* objv() const { return objects_.data(); }

private:
    std::vector<Tcl_Obj*> objects_;
};

} // namespace Test
} // namespace Tavrin
