#pragma once

namespace norvane {

// Makes SQLite hand the frames of a WAL commit to the kernel in one write instead of two writes
// a frame (a header and a page), through a file layer installed under SQLite as its default, once
// per process.
//
// The crawl commits at every stored number, and each commit writes a dozen or more frames; their
// two dozen system calls were most of the commit's cost on the window's thread. The layer keeps
// the frames of the WAL file in memory as SQLite writes them one after the other and writes them
// out when the commit frame is complete, before SQLite makes the commit visible to readers, so a
// commit is in the file when it returns, as before: a number stored survives the program being
// killed right after. Any other use of the WAL file (a read, a sync, its size, a truncation, a
// close) writes what is held first. Every other file, and every other call, goes straight to
// SQLite's own layer.
//
// False when it could not be installed; SQLite then works as it does without it.
bool InstallWalWriteCoalescing();

}  // namespace norvane
