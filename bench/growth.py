"""How split and join grow with the work: big files of several GB, trees of many
small files, a set of more than 999 volumes, with time per MB or per file and
the peak memory of each run.

Inputs are made from the tree corpus of compare.py (built first if missing) and
deleted once measured, so that the disk holds one case at a time.
"""
import argparse
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare  # noqa: E402  (corpora and the timing helper)

MB = 1024 * 1024
GB = 1024 * MB


def make_big_file(path, size, sources):
    """Concatenates the corpus's files, over and over, up to `size` bytes."""
    chunks = []
    for src in sources:
        with open(src, 'rb') as f:
            chunks.append(f.read())
    with open(path, 'wb') as out:
        written = 0
        while written < size:
            for data in chunks:
                data = data[:size - written]
                out.write(data)
                written += len(data)
                if written >= size:
                    break


def make_tree(root, count, sources):
    """`count` small files of the corpus, 100 to a directory."""
    small = []
    for src in sources:
        if os.path.getsize(src) < 16 * 1024:
            with open(src, 'rb') as f:
                small.append(f.read())
    for i in range(count):
        d = os.path.join(root, f'd{i // 100:04d}')
        if i % 100 == 0:
            os.makedirs(d)
        with open(os.path.join(d, f'f{i:06d}'), 'wb') as f:
            f.write(small[i % len(small)])


def volumes_of(out):
    return sorted(p for p in os.listdir(out) if p.startswith('SET.'))


def timed_after_sync(command):
    """Times a command once the dirty pages of what came before are on disk."""
    os.sync()
    return compare.timed(command)


def run_case(cli, work, label, src, volume_size, threads, per, units):
    """Splits `src` (a file or a tree) and joins it, with parvex-cli and with the
    floor (tar | split, cat | tar); checks the round trip; returns a table row."""
    out = os.path.join(work, 'growth-out')
    dst = os.path.join(work, 'growth-restored')
    for d in (out, dst):
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
    t = f' --threads {threads}' if threads is not None else ''
    if os.path.isdir(src):
        split = f'find {src} -type f > {out}/list && {cli} split -q{t} -s {volume_size} -T {out}/list {out}/SET.PX'
    else:
        split = f'{cli} split -q{t} -s {volume_size} {out}/SET.PX {src}'
    s = timed_after_sync(split)
    volumes = len(volumes_of(out))
    out_bytes = sum(os.path.getsize(os.path.join(out, v)) for v in volumes_of(out))
    j = timed_after_sync(f'{cli} join -q{t} -f -d {dst} {out}/SET.PX')
    restored = dst + os.path.abspath(src)
    if os.path.isdir(src):
        same = compare.same_tree(src, restored)
    else:
        same = subprocess.run(['cmp', '-s', src, restored]).returncode == 0
    for d in (out, dst):
        shutil.rmtree(d)
        os.makedirs(d)
    parent, name = os.path.split(os.path.abspath(src))
    fs = timed_after_sync(f'tar cf - -C {parent} {name} | split -b {volume_size} - {out}/x.')
    fj = timed_after_sync(f'cat {out}/x.* | tar xf - -C {dst}')
    shutil.rmtree(out)
    shutil.rmtree(dst)
    return dict(label=label, units=units, per=per, volumes=volumes, out=out_bytes, split=s, join=j,
                floor_split=fs, floor_join=fj, same=same)


def report(rows):
    print(f'{"case":<26} {"vols":>5} {"out MB":>7} | {"split s":>7} {"per unit":>13} {"cpu":>6} {"user":>6}'
          f' {"/floor":>6} {"peak MB":>7} | {"join s":>6} {"per unit":>13} {"cpu":>6} {"user":>6} {"/floor":>6}'
          f' {"peak MB":>7} | same')
    for r in rows:
        scale, unit = (1e3, 'ms/MB') if r['per'] == 'MB' else (1e6, 'us/file')

        def part(run, floor):
            per = [x / r['units'] * scale for x in (run[0], run[1], run[3])]
            return (f'{run[0]:7.2f} {per[0]:7.2f} {unit:<5} {per[1]:6.2f} {per[2]:6.2f}'
                    f' {run[0] / floor[0]:6.2f} {run[2] / 1024:7.1f}')
        print(f'{r["label"]:<26} {r["volumes"]:5d} {r["out"] / MB:7.1f} | {part(r["split"], r["floor_split"])} |'
              f' {part(r["join"], r["floor_join"])[1:]} | {"yes" if r["same"] else "NO"}')
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    parser.add_argument('--work', required=True)
    parser.add_argument('--files-gb', default='1,4,8')
    parser.add_argument('--trees', default='1000,10000,100000')
    parser.add_argument('--threads', type=int, default=None)
    args = parser.parse_args()
    cli = os.path.abspath(args.bin)
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    sources = compare.files_under([compare.build_corpora(work)['tree']])
    print('Per unit: wall time; cpu and user: the time of all threads (cpu with the system\'s), per unit.\n'
          '/floor: against tar | split and cat | tar on the same input, timed right after.\n')
    rows = []
    for gb in [int(x) for x in args.files_gb.split(',') if x]:
        path = os.path.join(work, f'growth-{gb}G.bin')
        make_big_file(path, gb * GB, sources)
        os.sync()
        rows.append(run_case(cli, work, f'file {gb} GB', path, '100M', args.threads, 'MB', gb * 1024))
        os.remove(path)
        report(rows[-1:])
    for count in [int(x) for x in args.trees.split(',') if x]:
        root = os.path.join(work, f'growth-tree-{count}')
        shutil.rmtree(root, ignore_errors=True)
        make_tree(root, count, sources)
        rows.append(run_case(cli, work, f'tree {count:,} files', root, '100M', args.threads, 'file', count))
        shutil.rmtree(root)
        report(rows[-1:])
    # The most volumes a set can have: three digits name volumes 2 to 1001
    # (.002 ... .999, .000, .001). Already-compressed data is stored as it is,
    # so 1001 volumes of 40 blocks each take 40,040 whole chunks.
    path = os.path.join(work, 'growth-volumes.bin')
    with open(path, 'wb') as out:
        out.write(os.urandom(40040 * 32773 - 1000))
    rows.append(run_case(cli, work, '1,001 volumes of 1.25 MiB', path, str(40 * 32778 + 100), args.threads, 'MB',
                         os.path.getsize(path) / MB))
    os.remove(path)
    report(rows[-1:])
    print()
    report(rows)
    peak = max(max(r['split'][2], r['join'][2]) for r in rows) / 1024
    print(f'\n  [{"met" if peak < 16 else "MISSED"}] peak memory below 16 MB at every size ({peak:.1f} MB)')
    print(f'  [{"met" if all(r["same"] for r in rows) else "MISSED"}] every round trip restores identical files')
    print(f'  [{"met" if rows[-1]["volumes"] > 999 else "MISSED"}] a set of more than 999 volumes '
          f'({rows[-1]["volumes"]} volumes)')


if __name__ == '__main__':
    main()
