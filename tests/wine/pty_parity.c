/*
 * pty_parity.so: preloaded into Wine so that a COM port mapped to a
 * pseudo-terminal takes the line settings a real port takes.
 *
 * A pseudo-terminal has no parity: the kernel drops PARENB from every
 * request. Wine sets the line settings with tcsetattr at every SetCommState,
 * and once a port holds everything else that SetCommState asks for, the
 * kernel answers the parity-only difference with EINVAL, which Wine hands on
 * as ERROR_INVALID_PARAMETER: the first exchange on the port succeeds and
 * every later one fails with 2087. A real serial port keeps the parity, so
 * here the request goes to a pseudo-terminal without it, as the library's
 * own POSIX backend does; every other device and request is passed through
 * untouched.
 *
 * Native (Linux) code, built once for each Wine loader, 64-bit and i386:
 *     cc -shared -fPIC -o pty_parity.so pty_parity.c -ldl
 *     i686-linux-gnu-gcc -shared -fPIC -o pty_parity.so pty_parity.c -ldl
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

/* Unix 98 pseudo-terminal slaves have the majors 136 to 143. */
static int isPseudoTerminal(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
    return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int tcsetattr(int fd, int optional_actions, const struct termios* termios_p) {
    typedef int (*Tcsetattr)(int, int, const struct termios*);
    static Tcsetattr next;
    struct termios withoutParity;
    if (next == NULL) {
        /* dlsym gives an object pointer; copied, as ISO C has no cast to a
         * function pointer. */
        void* symbol = dlsym(RTLD_NEXT, "tcsetattr");
        if (symbol == NULL) return -1;
        memcpy(&next, &symbol, sizeof next);
    }
    if (termios_p == NULL || !isPseudoTerminal(fd)) return next(fd, optional_actions, termios_p);
    memcpy(&withoutParity, termios_p, sizeof withoutParity);
#ifdef CMSPAR
    withoutParity.c_cflag &= ~(tcflag_t)(PARENB | PARODD | CMSPAR);
#else
    withoutParity.c_cflag &= ~(tcflag_t)(PARENB | PARODD);
#endif
    return next(fd, optional_actions, &withoutParity);
}
