#!/usr/bin/env python3
"""The running machine as a container host sees it: one filesystem bound at
thousands of places. In a mount namespace of its own (nothing outside it
sees the mounts, and they go with it), binds a directory at each count of
places in turn and times `quelbrin-cli --all-mount-points tree`, and `show`
and `report`, which list every place, against `findmnt` listing the same
mount table. Each round runs every command once in turn; prints medians and
ratios to findmnt. Root only.

  bench/bind_mounts_bench.py [--build DIR] [--before DIR] [--rounds N] [--counts 2000,8000,32000]

--before names a second build whose runs join the same rounds, for
before/after ratios.
"""
import argparse
import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MS_BIND = 4096
CLONE_NEWNS = 0x00020000
MS_REC = 16384
MS_PRIVATE = 1 << 18
MNT_DETACH = 2


def private_mount_namespace(libc):
    if libc.unshare(CLONE_NEWNS) != 0:
        sys.exit('cannot make a mount namespace (errno %d): needs root' % ctypes.get_errno())
    # Mounts made here must not travel back to the machine's own namespace.
    if libc.mount(b'none', b'/', None, MS_REC | MS_PRIVATE, None) != 0:
        sys.exit('cannot make / private (errno %d)' % ctypes.get_errno())


def seconds_of(argv):
    start = time.perf_counter()
    subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument('--build', default=os.path.join(root, 'build'))
    parser.add_argument('--before')
    parser.add_argument('--rounds', type=int, default=5)
    parser.add_argument('--counts', default='2000,8000,32000')
    args = parser.parse_args()
    if os.geteuid() != 0:
        sys.exit('needs root to bind mounts')
    builds = [('after', os.path.join(args.build, 'quelbrin-cli'))]
    if args.before:
        builds.append(('before', os.path.join(args.before, 'quelbrin-cli')))
    for _, cli in builds:
        if not os.access(cli, os.X_OK):
            sys.exit('no %s: build first' % cli)

    libc = ctypes.CDLL(None, use_errno=True)
    private_mount_namespace(libc)
    # On the root filesystem, whose mount point then lists every place.
    work = tempfile.mkdtemp(prefix='quelbrin-binds.', dir='/var/tmp')
    source = os.path.join(work, 'source')
    os.mkdir(source)
    made = 0
    print('cores: %d, rounds: %d' % (os.cpu_count(), args.rounds))
    try:
        for count in [int(c) for c in args.counts.split(',')]:
            for i in range(made, count):
                place = os.path.join(work, str(i))
                os.mkdir(place)
                if libc.mount(source.encode(), place.encode(), None, MS_BIND, None) != 0:
                    sys.exit('bind mount %d failed (errno %d)' % (i, ctypes.get_errno()))
            made = count
            commands = [('findmnt', ['findmnt', '-l'])]
            for label, cli in builds:
                # The root filesystem's mount point lists every place.
                commands += [('%s tree' % label, [cli, '--all-mount-points', 'tree']),
                             ('%s show C:' % label, [cli, 'show', 'Mountpoints/\\DosDevices\\C:']),
                             ('%s report' % label, [cli, 'report'])]
            times = {name: [] for name, _ in commands}
            for _ in range(args.rounds):
                for name, argv in commands:
                    times[name].append(seconds_of(argv))
            base = statistics.median(times['findmnt'])
            for name, _ in commands:
                median = statistics.median(times[name])
                line = '%6d places  %-16s %8.1f ms  %.2f x findmnt' % (count, name, median * 1e3, median / base)
                if name.startswith('after') and args.before:
                    line += '  after/before %.2f' % (median / statistics.median(times['before' + name[5:]]))
                print(line, flush=True)
    finally:
        for i in range(made):
            libc.umount2(os.path.join(work, str(i)).encode(), MNT_DETACH)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
