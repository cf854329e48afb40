#!/usr/bin/env python3
"""Writes a machine file of N volumes, each on its own MBR disk of one
partition, every volume mounted under its volume name (view it with
--all-mount-points). The shape the scan benchmark builds in memory.
With --ports P the disks hang round-robin on P SAS ports (255 targets to a
bus), each port with its storage-port interface and device-manager text:
many disks per port, as on a storage-array host. With --partitions K each
disk holds K partitions, each a volume: every volume's extent asks its disk
for the whole layout.

  bench/generate_machine.py N > machine.json
  bench/generate_machine.py --ports P N > machine.json
  bench/generate_machine.py --partitions K N > machine.json
"""
import argparse
import json
import sys


def partition(k):
    """The k-th partition of a disk: 1 GiB, after the first MiB."""
    return {'number': k + 1, 'offset': 1048576 + k * 1073741824, 'length': 1073741824, 'type': '0x07',
            'hiddenSectors': 2048}


def volumes(count, per_disk=1):
    disks = (count + per_disk - 1) // per_disk
    held = [min(per_disk, count - d * per_disk) for d in range(disks)]
    return {
        'drives': [{'number': d, 'size': 1073741824 * (held[d] + 1),
                    'layout': {'style': 'mbr', 'signature': '0x%08x' % (0x10000000 + d),
                               'partitions': [partition(k) for k in range(held[d])]}}
                   for d in range(disks)],
        'volumes': [{'id': 'v%d' % i, 'label': 'Volume %d' % i, 'fileSystem': 'NTFS',
                     'serialNumber': '0x%08x' % (0x20000000 + i), 'totalFreeBytes': 536870912,
                     'partition': {'disk': i // per_disk, 'number': i % per_disk + 1}}
                    for i in range(count)],
        'mountPoints': [{'name': '\\??\\Volume{%08x-0000-0000-0000-000000000000}' % i, 'volume': 'v%d' % i}
                        for i in range(count)],
    }


def place_on_ports(m, ports):
    """Puts the drives of `m` on SAS ports, round-robin."""
    # Controllers of one model in different slots: each its own transfer limit,
    # so that every storage-port interface matches its port alone.
    m['adapters'] = [{'port': p, 'descriptor': {'busType': 'sas', 'commandQueueing': True,
                                                'maximumTransferLength': 0x100000 + p * 0x1000}}
                     for p in range(ports)]
    m['storagePortInterfaces'] = []
    m['deviceInstances'] = []
    for p in range(ports):
        instance = 'PCI\\VEN_1000&DEV_0097\\%d' % p
        m['storagePortInterfaces'].append({
            'path': '\\\\?\\pci#sas%d#{2accfe60-c130-11d2-b082-00a0c91efb8b}' % p,
            'instance': instance, 'adapter': p})
        m['deviceInstances'].append({
            'id': instance,
            'hardwareIds': ['PCI\\VEN_1000&DEV_0097&SUBSYS_30901000', 'PCI\\VEN_1000&DEV_0097'],
            'manufacturer': 'Maker',
            'allocated': [{'type': 'mem', 'base': 0xf0000000 + p * 0x10000, 'end': 0xf000ffff + p * 0x10000},
                          {'type': 'irq', 'number': 32 + p}],
            'driverNodes': [{'description': 'SAS Controller', 'manufacturer': 'Maker', 'provider': 'Maker',
                             'infFile': 'oem9.inf', 'section': 'SAS_Inst', 'flags': 0x2044}],
            'driverKey': {'InfPath': 'oem9.inf', 'ProviderName': 'Maker', 'InfSection': 'SAS_Inst',
                          'DriverDesc': 'SAS Controller'},
            'driverFiles': ['C:\\Windows\\system32\\drivers\\sas.sys']})
    for d in m['drives']:
        n = d['number']
        k = n // ports
        d['adapter'] = {'port': n % ports, 'bus': k // 255, 'target': k % 255}
        d['device'] = {'vendor': 'SEAGATE', 'product': 'ST4000NM0023', 'revision': '0004',
                       'serial': 'SN%08d' % n}


def machine(count, ports=0, per_disk=1):
    m = {
        'format': 'quelbrin-machine',
        'version': 1,
        'description': ('Generated: %d volumes, ' % count) +
                       ('each on its own MBR disk' if per_disk == 1 else '%d to an MBR disk' % per_disk) +
                       (', on %d SAS ports.' % ports if ports else '.'),
    }
    m.update(volumes(count, per_disk))
    if ports:
        place_on_ports(m, ports)
    return m


if __name__ == '__main__':
    parser = argparse.ArgumentParser(description='Writes a generated machine file to stdout.')
    parser.add_argument('--ports', type=int, default=0, help='put the disks on this many SAS ports')
    parser.add_argument('--partitions', type=int, default=1, help='volumes (partitions) to a disk')
    parser.add_argument('volumes', type=int)
    args = parser.parse_args()
    if args.partitions < 1:
        parser.error('a disk holds at least one partition')
    if args.ports and args.volumes > args.ports * 255 * 256:
        parser.error('more disks than %d ports hold' % args.ports)
    json.dump(machine(args.volumes, args.ports, args.partitions), sys.stdout, indent=1)
    sys.stdout.write('\n')
