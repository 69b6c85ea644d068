// Sets an environment variable for the life of the object. On Windows an
// empty value removes the variable, as the system has no empty ones.
#pragma once

#include <cstdlib>
#include <string>

namespace ecf::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        set(value.c_str());
    }
    ~ScopedEnv() { had_ ? set(old_.c_str()) : unset(); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
#ifdef _WIN32
    void set(const char* value) { _putenv_s(name_.c_str(), value); }
    void unset() { _putenv_s(name_.c_str(), ""); }
#else
    void set(const char* value) { ::setenv(name_.c_str(), value, 1); }
    void unset() { ::unsetenv(name_.c_str()); }
#endif

    std::string name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace ecf::test
