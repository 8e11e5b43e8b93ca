// Files that appear under their final name only once all their bytes are written.
#pragma once

#include <cstddef>
#include <string>

enum class CompleteFileResult {
    Written,
    NotCreated,  // no temporary file in the directory, or it could not take the final name
    NotWritten,  // not every byte reached the file, or closing it reported an error
};

// Writes the bytes to a temporary file ".<name>.XXXXXX" in the directory of
// path (XXXXXX: six random characters), closes it and renames it onto path,
// replacing an earlier file there. Until that rename the earlier file stays as
// it was, so path never holds a partial file, even when the process is killed.
// A failure removes the temporary file. The new file gets the mode a newly
// created one would have (0666 less the umask). Safe to call from several
// threads at once: it keeps no state between calls.
CompleteFileResult writeCompleteFile(const std::string& path, const void* data, std::size_t size);
