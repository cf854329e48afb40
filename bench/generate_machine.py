#!/usr/bin/env python3
"""Writes a machine file of N volumes, each on its own MBR disk of one
partition, every volume mounted under its volume name (view it with
--all-mount-points). The shape the scan benchmark builds in memory.

  bench/generate_machine.py N > machine.json
"""
import json
import sys


def machine(count):
    return {
        'format': 'quelbrin-machine',
        'version': 1,
        'description': 'Generated: %d volumes, each on its own MBR disk.' % count,
        'drives': [{'number': i, 'size': 2147483648,
                    'layout': {'style': 'mbr', 'signature': '0x%08x' % (0x10000000 + i),
                               'partitions': [{'number': 1, 'offset': 1048576, 'length': 1073741824,
                                               'type': '0x07', 'hiddenSectors': 2048}]}}
                   for i in range(count)],
        'volumes': [{'id': 'v%d' % i, 'label': 'Volume %d' % i, 'fileSystem': 'NTFS',
                     'serialNumber': '0x%08x' % (0x20000000 + i), 'totalFreeBytes': 536870912,
                     'partition': {'disk': i, 'number': 1}}
                    for i in range(count)],
        'mountPoints': [{'name': '\\??\\Volume{%08x-0000-0000-0000-000000000000}' % i, 'volume': 'v%d' % i}
                        for i in range(count)],
    }


if __name__ == '__main__':
    json.dump(machine(int(sys.argv[1])), sys.stdout, indent=1)
    sys.stdout.write('\n')
