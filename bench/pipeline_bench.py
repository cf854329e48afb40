#!/usr/bin/env python3
"""The whole path through a machine file, as program runs: `quelbrin-cli
--all-mount-points tree`, `json`, `paths` and `capture` on generated machines of
1,000, 10,000 and 100,000 volumes, on one of many disks per SAS port and on
one of thousands of partitions to a disk,
against Python's json module loading the same file (and, for `json`, loading
and writing back the same output), all measured side by side in one run:
each round runs every command once in turn, so that whatever else the
machine does weighs on all of them alike. Prints each median, its peak
memory and the ratios. A peak below this script's own size (some 10 MB)
reads as that size: a child's peak starts from its parent's.

  bench/pipeline_bench.py [--build DIR] [--before DIR] [--rounds N] [--sizes 1000,10000]

--before names a second build (of an older commit, say) whose runs join the
same rounds, for before/after ratios.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))

PY_LOAD = 'import json, sys\nwith open(sys.argv[1], "rb") as f: json.load(f)'
PY_ROUND_TRIP = ('import json, os, sys\nwith open(sys.argv[1], "rb") as f: d = json.load(f)\n'
                 'with open(os.devnull, "w") as out: json.dump(d, out, indent=2)')


def run(argv, stdout_path=None):
    """Wall seconds and peak resident kilobytes of one run of argv."""
    out = open(stdout_path, 'wb') if stdout_path else subprocess.DEVNULL
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=out, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if stdout_path:
        out.close()
    if proc.returncode != 0:
        sys.exit('failed (%d): %s' % (proc.returncode, ' '.join(argv)))
    return seconds, usage.ru_maxrss


def write_machine(path, count, ports=0, per_disk=1):
    # In a process of its own: a child's peak memory starts from its parent's
    # at the fork, so this process must never hold a large machine itself.
    with open(path, 'w') as f:
        subprocess.run([sys.executable, os.path.join(HERE, 'generate_machine.py'), '--ports', str(ports),
                        '--partitions', str(per_disk), str(count)], stdout=f, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    root = os.path.dirname(HERE)
    parser.add_argument('--build', default=os.path.join(root, 'build'))
    parser.add_argument('--before', help='a second build to compare with')
    parser.add_argument('--rounds', type=int, default=int(os.environ.get('QUELBRIN_BENCH_ROUNDS', 7)))
    parser.add_argument('--sizes', default='1000,10000,100000')
    parser.add_argument('--port-disks', default='10000x16', help='DISKSxPORTS for the many-disks-per-port machine')
    parser.add_argument('--disk-partitions', default='4000x4000',
                        help='VOLUMESxPARTITIONS for the machine of many partitions to a disk')
    parser.add_argument('--no-viewer', dest='viewer', action='store_false', help='skip the desktop viewer')
    args = parser.parse_args()

    builds = [('', args.build)] + ([('before ', args.before)] if args.before else [])
    for _, b in builds:
        if not os.access(os.path.join(b, 'quelbrin-cli'), os.X_OK):
            sys.exit('no %s/quelbrin-cli: build first' % b)

    work = tempfile.mkdtemp(prefix='quelbrin-pipeline-bench.')
    try:
        machines = []
        for n in (int(s) for s in args.sizes.split(',') if s):
            machines.append(('%d volumes' % n, n, 0, 1))
        if args.port_disks:
            disks, ports = (int(x) for x in args.port_disks.split('x'))
            machines.append(('%d disks on %d ports' % (disks, ports), disks, ports, 1))
        if args.disk_partitions:
            count, per_disk = (int(x) for x in args.disk_partitions.split('x'))
            machines.append(('%d volumes, %d a disk' % (count, per_disk), count, 0, per_disk))

        results = {}  # (machine, command) -> (median seconds, peak kB)
        viewer = []
        sizes = {}
        for label, count, ports, per_disk in machines:
            path = os.path.join(work, 'machine-%d-%d-%d.json' % (count, ports, per_disk))
            write_machine(path, count, ports, per_disk)
            sizes[label] = os.path.getsize(path)
            output = os.path.join(work, 'model.json')
            commands = [('python load', [sys.executable, '-c', PY_LOAD, path], None)]
            for prefix, b in builds:
                cli = [os.path.join(b, 'quelbrin-cli'), '--machine', path, '--all-mount-points']
                commands.append((prefix + 'tree', cli + ['tree'], None))
                commands.append((prefix + 'json', cli + ['json'], output if not prefix else None))
                commands.append((prefix + 'paths', cli + ['paths'], None))
                commands.append((prefix + 'capture', cli + ['capture'], None))
            # The output of json, for the yardstick that reads it and writes it
            # back; Python needs too much memory for it beyond 10,000 volumes.
            run(commands[2][1], output)
            sizes[label + ' json'] = os.path.getsize(output)
            if count <= 10000:
                commands.append(('python json round trip', [sys.executable, '-c', PY_ROUND_TRIP, output], None))
            else:
                os.remove(output)
            for _, argv, _ in commands:
                run(argv)  # warm the caches
            rounds = args.rounds if count < 100000 else max(3, args.rounds // 3)
            times = {name: [] for name, _, _ in commands}
            peaks = {name: 0 for name, _, _ in commands}
            for _ in range(rounds):
                for name, argv, _ in commands:
                    seconds, peak = run(argv)
                    times[name].append(seconds)
                    peaks[name] = max(peaks[name], peak)
            for name, _, _ in commands:
                results[(label, name)] = (statistics.median(times[name]), peaks[name], rounds)
        for prefix, b in builds:
            program = os.path.join(b, 'bench', 'quelbrin_viewer_bench')
            if args.viewer and os.access(program, os.X_OK) and shutil.which('xvfb-run'):
                path = os.path.join(work, 'viewer.json')
                write_machine(path, 10000)
                out = subprocess.run(['xvfb-run', '-a', '-s', '-screen 0 1280x1024x24', program, path, '3'],
                                     capture_output=True, text=True, env=dict(os.environ, NO_AT_BRIDGE='1'))
                viewer += [prefix + line for line in out.stdout.splitlines() if line.startswith('viewer')]
                os.remove(path)
    finally:
        for f in os.listdir(work):
            os.remove(os.path.join(work, f))
        os.rmdir(work)

    print('cores: %d, load: %s' % (os.cpu_count(), ' '.join(open('/proc/loadavg').read().split()[:3])))
    print('%-24s %-24s %6s %10s %9s %8s' % ('machine', 'run', 'rounds', 'median ms', 'peak MB', 'x load'))
    for label, _, _, _ in machines:
        base = results[(label, 'python load')][0]
        print('%-24s %-24s %6s %10s %9.1f %8s' % (label, 'machine file', '', '', sizes[label] / 1e6, ''))
        print('%-24s %-24s %6s %10s %9.1f %8s' % (label, 'json output', '', '', sizes[label + ' json'] / 1e6, ''))
        for (m, name), (median, peak, rounds) in results.items():
            if m == label:
                print('%-24s %-24s %6d %10.1f %9.1f %8.2f' % (m, name, rounds, median * 1000, peak / 1024,
                                                               median / base))

    def ratio(a, b):
        return a / b if b else float('nan')

    print()
    for prefix, _ in builds:
        ten, one = results.get(('10000 volumes', prefix + 'tree')), results.get(('1000 volumes', prefix + 'tree'))
        load = results.get(('10000 volumes', 'python load'))
        json10k = results.get(('10000 volumes', prefix + 'json'))
        trip = results.get(('10000 volumes', 'python json round trip'))
        if ten and load:
            print('%stree, 10,000 volumes / Python json load of the same file: %.2f' % (prefix, ratio(ten[0], load[0])))
        if ten and one:
            print('%stree, 10,000 volumes / 1,000 volumes: %.2f' % (prefix, ratio(ten[0], one[0])))
        if json10k and trip:
            print('%sjson, 10,000 volumes / Python json load and write back of its output: %.2f' %
                  (prefix, ratio(json10k[0], trip[0])))
        if json10k:
            print('%sjson, 10,000 volumes: peak memory / machine file size: %.2f' %
                  (prefix, ratio(json10k[1] * 1024, sizes['10000 volumes'])))
    if viewer:
        print()
        print('10000 volumes in the desktop viewer (medians of 3):')
        for line in viewer:
            print('  ' + line)
    if args.before:
        print()
        for (m, name), (median, peak, _) in results.items():
            if name.startswith('before '):
                now = results[(m, name[len('before '):])]
                print('%-24s %-6s after/before: time %.2f, peak memory %.2f' %
                      (m, name[len('before '):], ratio(now[0], median), ratio(now[1], peak)))


if __name__ == '__main__':
    main()
