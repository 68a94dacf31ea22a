#!/bin/sh
# Measures how much a start of the program costs against the least a Qt start can cost.
#
#   bench/compare-startup.sh [-n RUNS] [-w] BUILD [NAME=PROGRAM ...]
#
# Runs BUILD/bin/startup_floor, BUILD/bin/kakeibo and every further PROGRAM (another build's
# kakeibo, to compare two builds) under one Xvfb started with -noreset, interleaved, RUNS
# times each (21 by default), with KAKEIBO_QUIT_AFTER_START=1. Each program starts from a copy
# of its own folder holding a full year (written by BUILD/bin/year_folder). Prints the median
# user+system CPU and peak resident memory of each, and their ratios to the floor's.
# -w runs openbox on the server too. Needs Xvfb and python3; use a Release build.
exec python3 - "$@" <<'PY'
import os, shutil, statistics, subprocess, sys, tempfile, time

args = sys.argv[1:]
runs, wm = 21, False
while args and args[0].startswith("-"):
    flag = args.pop(0)
    if flag == "-n":
        runs = int(args.pop(0))
    elif flag == "-w":
        wm = True
    else:
        sys.exit("unknown option " + flag)
if not args:
    sys.exit("usage: compare-startup.sh [-n RUNS] [-w] BUILD [NAME=PROGRAM ...]")
build = os.path.abspath(args.pop(0))
programs = [("floor", os.path.join(build, "bin", "startup_floor")),
            ("kakeibo", os.path.join(build, "bin", "kakeibo"))]
for extra in args:
    name, _, path = extra.partition("=")
    programs.append((name, os.path.abspath(path)))

work = tempfile.mkdtemp(prefix="kakeibo-start-")
commands = []
for name, path in programs:
    if name == "floor":
        commands.append((name, [path]))
        continue
    # The program keeps its files beside itself when its folder is writable: a folder of
    # its own, with the year, the masters and any module it loads from there.
    folder = os.path.join(work, name)
    os.makedirs(folder)
    source = os.path.dirname(path)
    for entry in os.listdir(source):
        if entry.endswith(".so") or ".so." in entry:
            shutil.copy2(os.path.join(source, entry), folder)
    shutil.copy2(path, folder)
    subprocess.run([os.path.join(build, "bin", "year_folder"), folder + "/"], check=True)
    commands.append((name, [os.path.join(folder, os.path.basename(path))]))

read, write = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", "-nolisten", "tcp",
                         "-screen", "0", "1920x1080x24"], pass_fds=[write],
                        stderr=subprocess.DEVNULL)
os.close(write)
display = ":" + os.read(read, 64).decode().strip()
env = dict(os.environ, DISPLAY=display, KAKEIBO_QUIT_AFTER_START="1", QT_QPA_PLATFORM="xcb")
openbox = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL) if wm else None
if openbox:
    time.sleep(1)

cpu = {name: [] for name, _ in commands}
rss = {name: [] for name, _ in commands}
try:
    for _ in range(2):  # warms the page cache and the server's fonts; not counted
        for name, command in commands:
            subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(runs):
        for name, command in commands:
            child = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            if status != 0:
                sys.exit(f"{name} ended with status {status}")
            cpu[name].append((usage.ru_utime + usage.ru_stime) * 1000)
            rss[name].append(usage.ru_maxrss / 1024)
finally:
    if openbox:
        openbox.terminate()
    xvfb.terminate()
    shutil.rmtree(work)

floor_cpu = statistics.median(cpu["floor"])
floor_rss = statistics.median(rss["floor"])
print(f"{runs} interleaved runs each, medians")
print(f"{'program':<12}{'CPU ms':>10}{'x floor':>10}{'peak MiB':>10}{'x floor':>10}")
for name, _ in commands:
    c, m = statistics.median(cpu[name]), statistics.median(rss[name])
    print(f"{name:<12}{c:>10.1f}{c / floor_cpu:>10.2f}{m:>10.1f}{m / floor_rss:>10.2f}")
PY
