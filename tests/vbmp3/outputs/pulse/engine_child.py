"""The engine's C functions in a process of their own, which a test drives line by line over its
standard input and which may die of what the engine does: each command answers one line.
    init        vbmp3_init
    refuse CALLS  the kernel refuses the system calls named (comma-separated, ENOSYS) from now
                  on, here and in every process started from here (a seccomp filter)
    play PATH   init, open and play          state     "STATE SECONDS"
    open PATH   init and open: "RESULT MS"   tags PATH init and read its tags: "RESULT MS"
    volume      "LEFT RIGHT"                 free      vbmp3_free
    close       vbmp3_close
    unload      dlclose the library          threads   how many threads the process runs
MS is how long the call took, in whole milliseconds."""
import _ctypes
import ctypes
import os
import sys
import time

lib = ctypes.CDLL(sys.argv[1])


def refuse(names):
    seccomp = ctypes.CDLL("libseccomp.so.2")
    allow, refused = 0x7FFF0000, 0x00050000 | 38  # SCMP_ACT_ALLOW, SCMP_ACT_ERRNO(ENOSYS)
    seccomp.seccomp_init.restype = ctypes.c_void_p
    filter = ctypes.c_void_p(seccomp.seccomp_init(allow))
    for name in names.split(","):
        call = seccomp.seccomp_syscall_resolve_name(name.encode())
        seccomp.seccomp_rule_add(filter, refused, call, 0)
    return seccomp.seccomp_load(filter)


def answer(*values):
    print(*values, flush=True)


for line in sys.stdin:
    command, _, argument = line.strip().partition(" ")
    if command == "refuse":
        answer(refuse(argument))
    elif command == "init":
        answer(lib.vbmp3_init())
    elif command == "play":
        lib.vbmp3_init()
        answer(lib.vbmp3_open(argument.encode(), ctypes.create_string_buffer(272)),
               lib.vbmp3_play())
    elif command in ("open", "tags"):
        lib.vbmp3_init()
        call, record = ((lib.vbmp3_open, 272) if command == "open"
                        else (lib.vbmp3_getFileTagInfo, 652))
        began = time.monotonic()
        result = call(argument.encode(), ctypes.create_string_buffer(record))
        answer(result, round((time.monotonic() - began) * 1000))
    elif command == "state":
        seconds = ctypes.c_int32(-1)
        answer(lib.vbmp3_getState(ctypes.byref(seconds)), seconds.value)
    elif command == "volume":
        left, right = ctypes.c_int32(-1), ctypes.c_int32(-1)
        lib.vbmp3_getVolume(ctypes.byref(left), ctypes.byref(right))
        answer(left.value, right.value)
    elif command == "close":
        answer(lib.vbmp3_close())
    elif command == "free":
        answer(lib.vbmp3_free())
    elif command == "unload":
        _ctypes.dlclose(lib._handle)
        answer("unloaded")
    elif command == "threads":
        answer(len(os.listdir("/proc/self/task")))
