#pragma once
// Standard output carries UTF-8 text byte for byte (no CR LF translation).
void useBinaryStdout();
