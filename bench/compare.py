"""Side-by-side timing of parvex-cli against tar/split, lz4, zstd, gzip, zip and 7z.
parvex-cli runs twice: with its default thread count and with --threads 1.

Corpora are built deterministically from this machine's files. For each corpus
every tool splits into 100 MB volumes and joins again; runs alternate between
tools, after one warm-up run each, and the median of the timed runs is kept.
Extracted trees stay until the corpus is done and are deleted once at the end:
deleting thousands of files slows the file creation that follows for minutes.
Since they crowd the page cache, each split's input is read in before it is
timed, so that the first tool of a run does not pay for reading it from disk.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys

MB = 1024 * 1024
# Debian's 7zip package installs the program as 7zz.
SEVENZIP = shutil.which('7z') or shutil.which('7zz') or '7z'


def files_under(roots, suffixes=None, exclude=()):
    out = []
    for root in roots:
        for dirpath, dirnames, filenames in os.walk(root):
            dirnames.sort()
            for name in sorted(filenames):
                path = os.path.join(dirpath, name)
                if any(x in path for x in exclude):
                    continue
                if suffixes and not name.endswith(suffixes):
                    continue
                if os.path.islink(path) or not os.path.isfile(path):
                    continue
                out.append(path)
    return out


def copy_until(sources, dest, limit):
    """Copies files (keeping their relative paths) until `limit` bytes."""
    total = 0
    for src in sources:
        try:
            size = os.path.getsize(src)
        except OSError:
            continue
        if total + size > limit:
            continue
        target = os.path.join(dest, src.lstrip('/'))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        try:
            shutil.copy2(src, target)
        except OSError:
            continue
        total += size
        if total >= limit * 0.98:
            break
    return total


def build_corpora(work):
    corpora = {}
    tree = os.path.join(work, 'corpus-tree')
    if not os.path.isdir(tree):
        os.makedirs(tree)
        parts = [
            (['/usr/include'], None, 70 * MB),
            ([p for p in ('/usr/lib/python3.11', '/usr/lib/python3') if os.path.isdir(p)], ('.py',), 50 * MB),
            (['/usr/share/doc', '/usr/share/common-licenses'], None, 20 * MB),
            (['/usr/lib/x86_64-linux-gnu'], ('.so',), 60 * MB),
        ]
        for roots, suffixes, limit in parts:
            copy_until(files_under(roots, suffixes, exclude=('.gz', '.xz')), tree, limit)
    corpora['tree'] = tree

    big = os.path.join(work, 'corpus-file')
    if not os.path.isdir(big):
        os.makedirs(big)
        sources = files_under([tree])
        with open(os.path.join(big, 'big.bin'), 'wb') as out:
            written = 0
            while written < 500 * MB:
                for src in sources:
                    with open(src, 'rb') as f:
                        data = f.read()
                    out.write(data)
                    written += len(data)
                    if written >= 500 * MB:
                        break
    corpora['file'] = big

    packed = os.path.join(work, 'corpus-compressed')
    if not os.path.isdir(packed):
        os.makedirs(packed)
        sources = files_under(['/var/cache/apt/archives', '/usr/share/doc', '/usr/share/man', '/usr/share',
                               '/usr/lib'], ('.gz', '.xz', '.deb', '.bz2', '.zst'))
        copy_until(sources, packed, 200 * MB)
    corpora['compressed'] = packed
    return corpora


def tools(cli):
    """name -> (split command, join command, volume glob). {src} {out} {dst} are filled in."""
    tar = 'tar cf - -C {src} .'
    return {
        'parvex': ('find {src} -type f > {out}/list && ' + cli + ' split -q -s 100M -T {out}/list {out}/SET.PX',
                   cli + ' join -q -f -d {dst} {out}/SET.PX', '{out}/SET.*'),
        'parvex -T1': ('find {src} -type f > {out}/list && ' + cli +
                       ' split -q --threads 1 -s 100M -T {out}/list {out}/SET.PX',
                       cli + ' join -q --threads 1 -f -d {dst} {out}/SET.PX', '{out}/SET.*'),
        'tar|split': (tar + ' | split -b 100M - {out}/x.', 'cat {out}/x.* | tar xf - -C {dst}', '{out}/x.*'),
        'lz4 -1': (tar + ' | lz4 -1 -q | split -b 100M - {out}/x.',
                   'cat {out}/x.* | lz4 -d -q | tar xf - -C {dst}', '{out}/x.*'),
        'zstd -1 -T0': (tar + ' | zstd -1 -T0 -q | split -b 100M - {out}/x.',
                        'cat {out}/x.* | zstd -d -q | tar xf - -C {dst}', '{out}/x.*'),
        'gzip -1': (tar + ' | gzip -1 | split -b 100M - {out}/x.',
                    'cat {out}/x.* | gzip -d | tar xf - -C {dst}', '{out}/x.*'),
        'zip -1': ('cd {src} && zip -q -s 100m -1 -r {out}/x.zip .',
                   SEVENZIP + ' x -y -bd -o{dst} {out}/x.zip > /dev/null', '{out}/x.*'),
        '7z -mx1': (SEVENZIP + ' a -bd -v100m -mx1 {out}/x.7z {src}/. > /dev/null',
                    SEVENZIP + ' x -y -bd -o{dst} {out}/x.7z.001 > /dev/null', '{out}/x.*'),
    }


def timed(command):
    """Runs a shell command under /usr/bin/time -v; returns wall, cpu seconds, peak KB and user seconds."""
    result = subprocess.run(['/usr/bin/time', '-v', 'bash', '-c', 'set -o pipefail; ' + command],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    err = result.stderr
    if result.returncode != 0:
        raise RuntimeError(f'command failed ({result.returncode}): {command}\n{err[-2000:]}')

    def field(name):
        return re.search(re.escape(name) + r':\s*(.+)', err).group(1).strip()

    wall = field('Elapsed (wall clock) time (h:mm:ss or m:ss)')
    parts = [float(p) for p in wall.split(':')]
    seconds = sum(p * 60 ** i for i, p in enumerate(reversed(parts)))
    user = float(field('User time (seconds)'))
    cpu = user + float(field('System time (seconds)'))
    return seconds, cpu, int(field('Maximum resident set size (kbytes)')), user


def volume_bytes(pattern):
    import glob
    return sum(os.path.getsize(p) for p in glob.glob(pattern))


def same_tree(a, b):
    return subprocess.run(['diff', '-rq', a, b], stdout=subprocess.DEVNULL).returncode == 0


def bench_corpus(name, src, work, cli, runs):
    table = {}
    results = {t: {'split': [], 'join': []} for t in tools(cli)}
    scratch = os.path.join(work, 'pass-' + name)
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    sizes, checks = {}, {}
    for run in range(runs + 1):  # run 0 is the warm-up
        for tool, (split, join, glob_) in tools(cli).items():
            tag = tool.replace(' ', '').replace('|', '_')
            out = os.path.join(scratch, f'{tag}-{run}')
            dst = os.path.join(scratch, f'{tag}-{run}-out')
            os.makedirs(out)
            os.makedirs(dst)
            fill = dict(src=src, out=out, dst=dst)
            # The extracted copies crowd the page cache; every tool starts with
            # its input read in, not only those after the first in a run.
            subprocess.run(['bash', '-c', f'find {src} -type f -exec cat {{}} + > /dev/null'], check=True)
            s = timed(split.format(**fill))
            j = timed(join.format(**fill))
            if run:
                results[tool]['split'].append(s)
                results[tool]['join'].append(j)
            sizes[tool] = volume_bytes(glob_.format(**fill))
            shutil.rmtree(out)  # volumes go at once: they are few and large
            if run == runs:
                restored = dst + src if tool.startswith('parvex') else dst
                checks[tool] = same_tree(src, restored)
    for tool, r in results.items():
        med = lambda xs, i: statistics.median(x[i] for x in xs)
        table[tool] = dict(split=med(r['split'], 0), split_cpu=med(r['split'], 1), split_kb=max(x[2] for x in r['split']),
                           join=med(r['join'], 0), join_cpu=med(r['join'], 1), join_kb=max(x[2] for x in r['join']),
                           size=sizes[tool], ok=checks[tool])
    shutil.rmtree(scratch)
    return table


def report(name, src_bytes, table):
    print(f'\n== {name}: {src_bytes / MB:.0f} MB')
    print(f'{"tool":<12} {"split s":>8} {"cpu s":>7} {"peak MB":>8} {"join s":>7} {"cpu s":>7} {"peak MB":>8}'
          f' {"out MB":>8} {"ratio":>6} {"split/floor":>11} {"join/floor":>10} {"same":>5}')
    floor = table['tar|split']
    for tool, r in table.items():
        print(f'{tool:<12} {r["split"]:8.2f} {r["split_cpu"]:7.2f} {r["split_kb"] / 1024:8.1f} {r["join"]:7.2f}'
              f' {r["join_cpu"]:7.2f} {r["join_kb"] / 1024:8.1f} {r["size"] / MB:8.1f} {r["size"] / src_bytes:6.3f}'
              f' {r["split"] / floor["split"]:11.2f} {r["join"] / floor["join"]:10.2f} {"yes" if r["ok"] else "NO":>5}')


# Split within this many times the floor (tar | split), per corpus.
SPLIT_FLOOR = {'tree': 1.1, 'file': 1.6, 'compressed': 1.3}
JOIN_FLOOR = 1.1
PEERS = ('lz4 -1', 'zstd -1 -T0', 'gzip -1', 'zip -1', '7z -mx1')


def targets(name, table):
    ours, floor, lines = table['parvex'], table['tar|split'], []

    def check(text, ok):
        lines.append(f'  [{"met" if ok else "MISSED"}] {name}: {text}')

    r = ours['split'] / floor['split']
    check(f'split within {SPLIT_FLOOR[name]}x of the floor ({r:.2f}x)', r <= SPLIT_FLOOR[name])
    for peer in ('lz4 -1', 'zstd -1 -T0'):
        check(f'split ahead of {peer} ({ours["split"] / table[peer]["split"]:.2f}x)',
              ours['split'] < table[peer]['split'])
    r = ours['join'] / floor['join']
    check(f'join within {JOIN_FLOOR}x of the floor ({r:.2f}x)', r <= JOIN_FLOOR)
    slowest = max(ours['join'] / table[p]['join'] for p in PEERS)
    check(f'join ahead of every peer (at most {slowest:.2f}x of one)', slowest < 1)
    one = table['parvex -T1']
    lines.append(f'  [scaling] {name}: --threads 1 takes {one["split"] / ours["split"]:.2f}x the default\'s time to '
                 f'split, {one["join"] / ours["join"]:.2f}x to join')
    peak = max(max(table[t]['split_kb'], table[t]['join_kb']) for t in ('parvex', 'parvex -T1')) / 1024
    check(f'peak memory below 16 MB ({peak:.1f} MB)', peak < 16)
    check('every round trip restores identical files', all(r['ok'] for r in table.values()))
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    parser.add_argument('--work', required=True)
    parser.add_argument('--runs', type=int, default=3)
    parser.add_argument('--only', default='')
    args = parser.parse_args()
    cli = os.path.abspath(args.bin)
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    corpora = build_corpora(work)
    summary = []
    for name, src in corpora.items():
        if args.only and name not in args.only.split(','):
            continue
        src_bytes = sum(os.path.getsize(p) for p in files_under([src]))
        table = bench_corpus(name, src, work, cli, args.runs)
        report(name, src_bytes, table)
        summary += targets(name, table)
        sys.stdout.flush()
    print('\nTargets (ratios are ours / peer, from the same pass):')
    print('\n'.join(summary))


if __name__ == '__main__':
    main()
