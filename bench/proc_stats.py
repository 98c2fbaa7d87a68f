"""What /proc tells of a running process, for the benchmarks."""
import os


def cpu_seconds(pid):
    """utime + stime of the whole process, in seconds (counted in the kernel's ticks)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
