// What the web search needs of the dialog's shared search state: publish a result, rewrite
// the web status line, read and clear a source's running flag, and read the search term
// and the search box text. The dialog's adapter keeps the locking and posting protocol;
// the console crawler and the tests bring their own.
#pragma once

#include <string>

#include "websearch/FeedReaders.h"

enum class WebSource { kEngine, kForm, kTorrent };

class SearchSink {
public:
    virtual ~SearchSink() = default;

    // Adds one result (a copy) and tells the dialog.
    virtual void addResult(const WebFind& find) = 0;
    // Rewrites the web status line and tells the dialog.
    virtual void setWebStatus(const std::string& text) = 0;
    // The source's running flag.
    virtual bool isRunning(WebSource source) = 0;
    // The end of a source: its flag cleared, then the dialog told that it has ended.
    virtual void finish(WebSource source) = 0;
    // The search term in code page 949, as the search started with it.
    virtual std::string searchTerm() = 0;
    // The search box's text now (UTF-16), read without the dialog's thread.
    virtual std::u16string editText() = 0;
};
