// Compiles nothing: it carries the precompiled header other targets reuse (precompiled_headers.cmake).
