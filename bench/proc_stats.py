"""What /proc tells of a running process, for the benchmarks."""
import os


def cpu_seconds(pid):
    """utime + stime of the whole process, in seconds (counted in the kernel's ticks)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def process_tree(pid):
    """pid and every process below it: the player with the engine's decoder process."""
    tree = [pid]
    for parent in tree:
        try:
            tasks = os.listdir(f"/proc/{parent}/task")
        except FileNotFoundError:
            continue
        for task in tasks:
            try:
                with open(f"/proc/{parent}/task/{task}/children") as f:
                    tree += [int(child) for child in f.read().split()]
            except FileNotFoundError:
                continue  # a thread that ended meanwhile
    return tree
