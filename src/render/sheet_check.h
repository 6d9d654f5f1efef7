#pragma once

// The library's BMP reader trusts the file's header and can crash or read for
// ever on a damaged one, so the sheet is checked before it is loaded.
// Returns nullptr for a file the reader can take safely, otherwise why not.
const char *check_bmp_file(const char *path);
