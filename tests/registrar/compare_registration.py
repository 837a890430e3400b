#!/usr/bin/env python3
"""Registers and removes a control that ships with Wine, once with Wine's own
regsvr32 and once through Halvern's dialog, and checks that both write and
remove exactly the same registry keys and values.

usage: compare_registration.py TREE_DIR SOURCE_DIR OCX_WINDOWS_PATH
"""
import os
import subprocess
import sys
import tempfile

CLASSES = r'HKEY_LOCAL_MACHINE\Software\Classes'


class Bed:
    def __init__(self, tree, source):
        self.tree = tree
        self.run_script = os.path.join(source, 'scripts', 'wine-run.sh')
        self.state = os.path.join(tree, 'wine')

    def run(self, *args, env=None, check=True):
        full_env = dict(os.environ)
        full_env.update(env or {})
        result = subprocess.run([self.run_script, self.state, *args], env=full_env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if check and result.returncode != 0:
            sys.exit('%s failed (%d):\n%s%s' % (' '.join(args), result.returncode, result.stdout, result.stderr))
        return result

    def export(self, folder, name):
        path = os.path.join(folder, name + '.reg')
        self.run('regedit', '/E', 'Z:' + path.replace('/', '\\'), CLASSES)
        return parse_reg(path)


def parse_reg(path):
    """The export as {key: {value name: data}}; continued lines are joined."""
    with open(path, 'rb') as f:
        text = f.read().decode('utf-16')
    keys = {}
    current = None
    pending = ''
    for raw in text.splitlines():
        line = pending + raw.strip() if pending else raw.rstrip()
        if line.endswith('\\') and not line.startswith('['):
            pending = line[:-1]
            continue
        pending = ''
        if line.startswith('[') and line.endswith(']'):
            current = line[1:-1].lower()
            keys[current] = {}
        elif current is not None and line and '=' in line:
            name, _, data = line.partition('=')
            keys[current][name.lower()] = data
    return keys


def changes(before, after):
    """Sorted lines naming every key and value added, removed or changed."""
    out = []
    for key in sorted(set(before) | set(after)):
        if key not in before:
            out.append('+key ' + key)
        elif key not in after:
            out.append('-key ' + key)
        b, a = before.get(key, {}), after.get(key, {})
        for name in sorted(set(b) | set(a)):
            if b.get(name) != a.get(name):
                out.append('value %s %s: %s -> %s' % (key, name, b.get(name), a.get(name)))
    return out


def halvern(bed, tree, ocx, button, expect):
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'ui', 'hhctrl_command.txt')
    bed.run(os.path.join(tree, 'bin', 'uidriver.exe'), script,
            env={'HALVERN': os.path.join(tree, 'bin', 'Halvern.exe'), 'HALVERN_OCX': ocx,
                 'HALVERN_BUTTON': button, 'HALVERN_EXPECT': expect})


def main():
    tree, source, ocx = sys.argv[1:4]
    bed = Bed(tree, source)
    failures = []
    with tempfile.TemporaryDirectory(dir=os.path.join(tree, 'wine')) as folder:
        # Start from the control not registered; whatever the prefix had is restored at the end.
        bed.run('regsvr32', '/u', '/s', ocx, check=False)
        clean = bed.export(folder, 'clean')

        bed.run('regsvr32', '/s', ocx)
        by_regsvr32 = bed.export(folder, 'regsvr32')
        bed.run('regsvr32', '/u', '/s', ocx)
        removed_by_regsvr32 = bed.export(folder, 'regsvr32_u')

        halvern(bed, tree, ocx, '4', '正常に登録できました。')
        by_halvern = bed.export(folder, 'halvern')
        halvern(bed, tree, ocx, '5', '正常に削除できました。')
        removed_by_halvern = bed.export(folder, 'halvern_u')

        bed.run('regsvr32', '/s', ocx, check=False)

    written = changes(clean, by_regsvr32)
    if not written:
        failures.append('regsvr32 wrote nothing: the comparison would prove nothing')
    if changes(removed_by_regsvr32, by_halvern) != written:
        failures.append('Register wrote other keys than regsvr32:\n  regsvr32:\n    %s\n  Halvern:\n    %s' % (
            '\n    '.join(written), '\n    '.join(changes(removed_by_regsvr32, by_halvern))))
    if changes(by_halvern, removed_by_halvern) != changes(by_regsvr32, removed_by_regsvr32):
        failures.append('Remove removed other keys than regsvr32 /u:\n  regsvr32 /u:\n    %s\n  Halvern:\n    %s' % (
            '\n    '.join(changes(by_regsvr32, removed_by_regsvr32)),
            '\n    '.join(changes(by_halvern, removed_by_halvern))))
    print('%d registry changes written by registration, compared' % len(written))
    if failures:
        sys.exit('\n'.join(failures))


if __name__ == '__main__':
    main()
