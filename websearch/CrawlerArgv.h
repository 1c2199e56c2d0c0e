// The crawl options: strings of the form -name:value applied one at a time, in order, to
// one record that configures a web source's queue, semaphores and HTTP time-out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "http/Url.h"
#include "websearch/FsPath.h"

// The generic option parser: syntax and table lookup; no data of its own.
class Argv {
public:
    struct Exception {
        std::string message;
    };

    virtual ~Argv() = default;

    // Applies one argument; raises Exception on a bad one.
    virtual bool apply(std::string arg) = 0;

    // The offset in arg at which the value begins, with the option id in id.
    static size_t lookup(const std::string& arg, int32_t& id);
};

inline constexpr const char* kErrorArgSyntax = "Invalid argument syntax(-<arg>:<value>): ";
inline constexpr const char* kErrorArgUnknown = "Unknown argument: ";
inline constexpr const char* kErrorArgOutput = "fail to open output directory: ";

struct CrawlerOption {
    const char* name;
    int32_t id;
};

// Searched in this order; a name matches as a case-insensitive prefix of the key.
inline constexpr CrawlerOption kCrawlerOptions[] = {
    {"qlimit", 0},  {"seed", 1}, {"sort", 2},     {"output", 3},
    {"timeout", 5}, {"sock", 6}, {"filetype", 7}, {"searchtext", 8},
};

class CrawlerArgv : public Argv {
public:
    CrawlerArgv();

    bool apply(std::string arg) override;

    int32_t qlimit = 0;
    int32_t timeout = 2;
    int32_t sock = 10;
    Url seed;
    // 0 selects the breadth-first queue; no option sets it.
    int32_t queueKind = 0;
    FsPath output;
    FsPath filetype;
    FsPath searchtext;
};
