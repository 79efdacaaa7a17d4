#pragma once

// The application: runs the outer window modally and ends the process when it closes.
class CVelmoraApp final {
public:
    // Returns the process exit code.
    static int Run(int argc, char** argv);
};
