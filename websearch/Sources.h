// The three web sources the dialog starts, one thread each. Each is a thread procedure
// that owns its copy of the handle and returns 0.
//
// The contract with the dialog (see app/state/SearchState.h):
// - read the term with handle.searchTerm() (narrow, code page 949) or, where the box's
//   current text is wanted, handle.editText() (wide);
// - add every find with AddResult(handle, result); report the crawl with
//   handle.setWebStatus(text);
// - poll handle.isRunning() where the source can stop early;
// - end, on every path (exceptions included), with handle.finish(): it clears the
//   source's own flag and posts SEARCH_EVENT_DONE. Nothing may throw out of a procedure.
#pragma once

#include <cstdint>

#include "app/state/SearchState.h"

uint32_t EngineSourceProc(SearchHandle handle);
uint32_t TorrentSourceProc(SearchHandle handle);
uint32_t FormSourceProc(SearchHandle handle);
