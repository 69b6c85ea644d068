/*
 * dll_version: prints the version resource of each DLL named on the command
 * line as Windows reads it for the file's properties (GetFileVersionInfo),
 * one "name: value" line per field:
 *
 *     dll_version ecf.dll...
 *
 * Exits 1 when a DLL has no version resource or lacks one of the fields.
 */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static const char* const kFields[] = {"FileVersion", "ProductVersion", "ProductName",
                                      "FileDescription", "LegalCopyright", "OriginalFilename"};

static int printVersion(const char* path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    char* data;
    size_t i;
    int ok = 1;
    if (size == 0) {
        printf("%s: no version resource (error %lu)\n", path, (unsigned long)GetLastError());
        return 0;
    }
    data = malloc(size);
    if (data == NULL || !GetFileVersionInfoA(path, 0, size, data)) {
        printf("%s: the version resource cannot be read\n", path);
        free(data);
        return 0;
    }
    for (i = 0; i < sizeof kFields / sizeof kFields[0]; ++i) {
        char query[64];
        char* value = NULL;
        UINT length = 0;
        snprintf(query, sizeof query, "\\StringFileInfo\\040904B0\\%s", kFields[i]);
        if (VerQueryValueA(data, query, (void**)&value, &length) && length > 0) {
            printf("%s: %s: %s\n", path, kFields[i], value);
        } else {
            printf("%s: %s missing\n", path, kFields[i]);
            ok = 0;
        }
    }
    free(data);
    return ok;
}

int main(int argc, char** argv) {
    int ok = argc > 1;
    int i;
    for (i = 1; i < argc; ++i) ok = printVersion(argv[i]) && ok;
    return ok ? 0 : 1;
}
