// Program entry; mingw accepts main for a GUI-subsystem executable.

#include <exception>
#include <stdexcept>

#include "app/program.h"

int main() { return VarnexMain(); }

// Size: libstdc++ raises its own errors (a container asked for more than it can hold, a
// string built from a null pointer, a bad index) through the std::__throw_* helpers of one
// object, whose exception classes carry copy-on-write strings and pull in both string
// implementations (about 90 KB of the 32-bit executable). Defining every helper of that
// object here keeps it out of Varnex.exe; each throws one small exception with the library's
// message, which the program's handlers report as before (they catch std::exception or all).
namespace {

class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* text) : text_(text) {}
  const char* what() const noexcept override { return text_; }

 private:
  const char* text_;  // the library passes string literals
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw LibraryError("bad exception"); }
void __throw_bad_alloc() { throw LibraryError("bad allocation"); }
void __throw_bad_array_new_length() { throw LibraryError("bad array new length"); }
void __throw_bad_cast() { throw LibraryError("bad cast"); }
void __throw_bad_typeid() { throw LibraryError("bad typeid"); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }
void __throw_domain_error(const char* text) { throw LibraryError(text); }
void __throw_invalid_argument(const char* text) { throw LibraryError(text); }
void __throw_length_error(const char* text) { throw LibraryError(text); }
void __throw_out_of_range(const char* text) { throw LibraryError(text); }
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
void __throw_runtime_error(const char* text) { throw LibraryError(text); }
void __throw_range_error(const char* text) { throw LibraryError(text); }
void __throw_overflow_error(const char* text) { throw LibraryError(text); }
void __throw_underflow_error(const char* text) { throw LibraryError(text); }

}  // namespace std
