/* A stand-in installer for the update tests: a tiny Windows program that the
 * update window downloads and starts. It writes a marker file holding its own
 * path and ends at once. The marker goes where ZINTRA_INSTALLER_MARKER says, or
 * next to the program as <program>.ran. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char self[MAX_PATH];
    char marker[MAX_PATH + 8];
    const char* wanted = getenv("ZINTRA_INSTALLER_MARKER");
    FILE* file;
    (void)instance;
    (void)previous;
    (void)show;
    if (GetModuleFileNameA(NULL, self, MAX_PATH) == 0) self[0] = '\0';
    if (wanted != NULL && *wanted != '\0') {
        snprintf(marker, sizeof marker, "%s", wanted);
    } else {
        snprintf(marker, sizeof marker, "%s.ran", self);
    }
    file = fopen(marker, "w");
    if (file == NULL) return 1;
    fprintf(file, "%s\n%s\n", self, commandLine);
    fclose(file);
    return 0;
}
