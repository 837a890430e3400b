#!/usr/bin/env python3
"""The kit's packages installed and used as Windows users do, each case in a
fresh Wine prefix of its own.

usage: package_test.py CASE SOURCE_DIR TREE_DIR DIST_DIR WORK_DIR
  install    silent install: files, shortcuts, uninstall entry; the control's
             keys equal what regsvr32 writes; silent uninstall restores the
             registry and Program Files
  sample     sample.exe started from the installed folder previews the control
  upgrade    the previous version, then this one: one entry, the new files
  zip        the ZIP unpacked, the control registered with Halvern, sample runs
  install_x64  the x64 package for 64-bit Windows (from BIN32_DIR and
             CONTROL64_DIR, given after WORK_DIR) in a 64-bit prefix: the
             32-bit programs and control, the 64-bit control in x64\, each
             control's keys in its own registry view equal to what its own
             regsvr32 writes (the 32-bit one where 32-bit Wine runs);
             settings put through one script host read through the other;
             the uninstall removes both
  script64   the 64-bit control (from the folder given after WORK_DIR),
             registered by the 64-bit regsvr32 and driven by the 64-bit
             script host: devices listed, a timed capture, a still, then
             five more controls made, used and let go in turn
  script32   the same for the 32-bit control of a 32-bit tree's ZIP, with
             the 32-bit regsvr32 and script host of a 64-bit prefix
             (syswow64), as on 64-bit Windows
  template   makes the fresh prefix that each case starts from a copy of
  cleanup    removes that prefix again
"""
import filecmp
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'registrar'))
from compare_registration import changes, parse_reg  # noqa: E402

PRODUCT = 'Morvane Kit'
CLASSES = r'HKEY_LOCAL_MACHINE\Software\Classes'
UNINSTALL = r'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# What an install may touch and an uninstall must restore.
WHOLE = [r'HKEY_LOCAL_MACHINE\Software', r'HKEY_CURRENT_USER\Software']
PROGRAMS = ['sample.exe', 'Halvern.exe', 'Morvane.ocx']
SHORTCUTS = ['Morvane OCX Sample.lnk', 'Halvern.lnk']
# The installer's own records, under which it leaves empty keys behind once
# the last product is gone (on Windows they are never empty).
INSTALLER_RECORDS = [r'hkey_local_machine\software\classes\installer',
                     r'hkey_local_machine\software\microsoft\windows\currentversion\installer']
WINE_SETTINGS = r'hkey_current_user\software\wine'
# Shortcuts must not reach the desktop of the machine that runs the tests.
WINE_ENV = {'WINEDLLOVERRIDES': 'mscoree,mshtml,winemenubuilder.exe='}


def fail(message):
    sys.exit('FAIL: ' + message)


class Bed:
    """A fresh Wine prefix with a display of its own. Making a prefix takes
    Wine a minute here; a copy of a new one made once is as fresh and takes
    seconds."""

    def __init__(self, source, tree, work, name, arch=None):
        self.source = source
        self.tree = tree
        self.state = os.path.join(work, name)
        shutil.rmtree(self.state, ignore_errors=True)
        os.makedirs(self.state)
        with open(os.path.join(tree, 'wine', 'arch')) as f:
            tree_arch = f.read().strip()
        with open(os.path.join(self.state, 'arch'), 'w') as f:
            f.write(arch or tree_arch)
        template = os.path.join(work, 'template', 'prefix')
        # A bed of the other kind than the tree's starts from a prefix of its own.
        if name != 'template' and (arch or tree_arch) == tree_arch:
            if not os.path.isfile(os.path.join(template, '.kit-ready')):
                fail('no template prefix at %s (the test package_prefix makes it)' % template)
            subprocess.run(['cp', '-a', template, os.path.join(self.state, 'prefix')], check=True)
        self.exports = os.path.join(self.state, 'exports')
        os.makedirs(self.exports)
        self.script('wine-testbed.sh', 'start', self.state)
        self.drive_c = os.path.join(self.state, 'prefix', 'drive_c')

    def script(self, name, *args, env=None, check=True):
        full_env = dict(os.environ)
        full_env.update(WINE_ENV)
        full_env.update(env or {})
        result = subprocess.run([os.path.join(self.source, 'scripts', name), *args], env=full_env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors='replace')
        if check and result.returncode != 0:
            fail('%s %s failed (%d):\n%s%s' % (name, ' '.join(args), result.returncode, result.stdout,
                                              result.stderr))
        return result

    def run(self, *args, env=None, check=True):
        return self.script('wine-run.sh', self.state, *args, env=env, check=check)

    def stop(self):
        self.script('wine-testbed.sh', 'stop', self.state, check=False)

    def export(self, key, tag):
        path = os.path.join(self.exports, tag + '.reg')
        if os.path.exists(path):
            os.remove(path)
        self.run('regedit', '/E', winpath(path), key, check=False)
        return parse_reg(path) if os.path.exists(path) else {}

    def export_all(self, tag):
        """Both software hives, without Wine's own settings (it keeps
        run-time state there)."""
        keys = {}
        for i, key in enumerate(WHOLE):
            keys.update(self.export(key, '%s-%d' % (tag, i)))
        return {k: v for k, v in keys.items() if not k.startswith(WINE_SETTINGS)}

    def program_files(self):
        return os.path.join(self.drive_c, 'Program Files')

    def install_dir(self):
        return os.path.join(self.program_files(), PRODUCT)

    def menu_dir(self):
        """The kit's Start-menu folder: all users' on Windows; Wine 8's
        installer puts a per-machine package's shortcuts in the user's."""
        places = [os.path.join(self.drive_c, 'ProgramData'),
                  os.path.join(self.drive_c, 'users', os.environ.get('USER', 'root'), 'AppData', 'Roaming')]
        for place in places:
            folder = os.path.join(place, 'Microsoft', 'Windows', 'Start Menu', 'Programs', PRODUCT)
            if os.path.isdir(folder):
                return folder
        return folder

    def msiexec(self, action, msi):
        result = self.run('msiexec', action, winpath(msi), '/qn', check=False)
        if result.returncode != 0:
            fail('msiexec %s %s /qn ended with %d:\n%s' % (action, os.path.basename(msi), result.returncode,
                                                           result.stderr[-2000:]))

    def entries(self):
        """The uninstall entries of the kit: {key: values}."""
        found = {}
        for key, values in self.export(UNINSTALL, 'uninstall').items():
            if values.get('"displayname"') == '"%s"' % PRODUCT:
                found[key] = values
        return found

    def use_virtual_desktop(self):
        """Every window of the prefix in one Wine desktop, drawn with its frame
        and caption as on Windows (the bare display has no window manager)."""
        reg = os.path.join(self.state, 'desktop.reg')
        shutil.copy(os.path.join(self.source, 'scripts', 'wine-desktop.reg'), reg)
        self.run('regedit', '/S', winpath(reg))
        # The desktop the running server already made stays as it is: start again.
        subprocess.run(['bash', '-c', 'source "$0"; "$WINESERVER" -k',
                        os.path.join(self.source, 'scripts', 'wine-env.sh')],
                       env=dict(os.environ, KIT_WINE_STATE=self.state), check=False)
        self.script('wine-testbed.sh', 'start', self.state)

    def sample_runs(self, sample, name, screenshot=''):
        self.script_in_tests('sample_runs.sh', self.state, sample, name, screenshot)

    def script_in_tests(self, name, *args):
        here = os.path.dirname(os.path.abspath(__file__))
        result = subprocess.run([os.path.join(here, name), self.source, self.tree, *args],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors='replace')
        print(result.stdout)
        if result.returncode != 0:
            fail('%s failed' % name)


def winpath(path):
    return 'Z:' + path.replace('/', '\\')


def tree_files(root):
    """Every file and folder under root, relative, as a sorted list."""
    out = []
    for folder, dirs, files in os.walk(root):
        for entry in dirs + files:
            out.append(os.path.relpath(os.path.join(folder, entry), root))
    return sorted(out)


def normalised(keys, install_dir_win):
    """The export with the installed folder's path written as <INSTALLDIR>:
    also written with the \\\\?\\ prefix (Wine's type library registration)
    or, as a folder of its own, with a trailing backslash (the installer's
    folder properties) it names the same place."""
    escaped = install_dir_win.replace('\\', '\\\\')
    variants = ['\\\\\\\\?\\\\' + escaped, escaped]
    out = {}
    for key, values in keys.items():
        new_values = {}
        for name, data in values.items():
            for variant in variants:
                data = data.replace(variant, '<INSTALLDIR>').replace(variant.lower(), '<INSTALLDIR>')
            if data == '"<INSTALLDIR>\\\\"':
                data = '"<INSTALLDIR>"'
            new_values[name] = data
        out[key] = new_values
    return out


def uninstall_left(before, after):
    """What the uninstall changed, but for empty keys: those of the
    installer's own records, and keys that were empty before (a fresh Wine
    prefix has some that Windows always fills, and the uninstall takes an
    empty parent key away with ours)."""
    def empty(keys, key):
        return not keys[key] and not any(k.startswith(key + '\\') for k in keys)

    def no_values(keys, key):
        return not any(values for k, values in keys.items() if k == key or k.startswith(key + '\\'))
    left = []
    for line in changes(before, after):
        kind, _, key = line.partition(' ')
        if kind == '+key' and no_values(after, key) and any(key.startswith(r) for r in INSTALLER_RECORDS):
            continue
        if kind == '-key' and empty(before, key):
            continue
        left.append(line)
    return left


def expect_installed_files(bed, bin_dir):
    missing = [f for f in PROGRAMS + ['README.txt', 'LICENSE.txt'] if not os.path.isfile(os.path.join(bed.install_dir(), f))]
    if missing:
        fail('not installed: %s (folder holds %s)' % (missing, tree_files(bed.program_files())))
    for f in PROGRAMS:
        if not filecmp.cmp(os.path.join(bin_dir, f), os.path.join(bed.install_dir(), f), shallow=False):
            fail('%s installed is not the package\'s file' % f)


def expect_one_entry(bed, version):
    entries = bed.entries()
    if len(entries) != 1:
        fail('%d uninstall entries for %s: %s' % (len(entries), PRODUCT, sorted(entries)))
    values = next(iter(entries.values()))
    if values.get('"displayversion"') != '"%s"' % version:
        fail('the uninstall entry shows version %s, expected %s' % (values.get('"displayversion"'), version))


def case_install(bed, dist, version, bin_dir):
    msi = os.path.join(dist, 'MorvaneKit-%s.msi' % version)
    before = bed.export_all('before')
    files_before = tree_files(bed.program_files())
    menu_before = os.path.isdir(bed.menu_dir())

    bed.msiexec('/i', msi)
    expect_installed_files(bed, bin_dir)
    shortcuts = sorted(os.listdir(bed.menu_dir())) if os.path.isdir(bed.menu_dir()) else []
    if shortcuts != sorted(SHORTCUTS):
        fail('Start-menu shortcuts %s, expected %s' % (shortcuts, sorted(SHORTCUTS)))
    expect_one_entry(bed, version)

    # The installer's keys for the control against regsvr32's for the same file.
    ocx = r'C:\Program Files\%s\Morvane.ocx' % PRODUCT
    installed_dir = r'C:\Program Files\%s' % PRODUCT
    by_installer = bed.export(CLASSES, 'installed')
    bed.run('regsvr32', '/u', '/s', ocx)
    unregistered = bed.export(CLASSES, 'unregistered')
    bed.run('regsvr32', '/s', ocx)
    by_regsvr32 = bed.export(CLASSES, 'regsvr32')
    written_by_installer = changes(normalised(unregistered, installed_dir), normalised(by_installer, installed_dir))
    written_by_regsvr32 = changes(normalised(unregistered, installed_dir), normalised(by_regsvr32, installed_dir))
    if not written_by_regsvr32:
        fail('regsvr32 wrote nothing: the comparison would prove nothing')
    if written_by_installer != written_by_regsvr32:
        fail('the installer wrote other keys than regsvr32:\n  installer:\n    %s\n  regsvr32:\n    %s' % (
            '\n    '.join(written_by_installer), '\n    '.join(written_by_regsvr32)))
    print('%d registry changes of the control compared with regsvr32' % len(written_by_regsvr32))

    bed.msiexec('/x', msi)
    left = uninstall_left(before, bed.export_all('after'))
    if left:
        fail('the uninstall left the registry changed:\n  ' + '\n  '.join(left))
    if tree_files(bed.program_files()) != files_before:
        fail('the uninstall left Program Files changed: %s' % sorted(
            set(tree_files(bed.program_files())) ^ set(files_before)))
    if os.path.isdir(bed.menu_dir()) != menu_before:
        fail('the uninstall left the Start-menu folder behind')


def case_sample(bed, dist, version, bin_dir, screenshot):
    bed.use_virtual_desktop()
    bed.msiexec('/i', os.path.join(dist, 'MorvaneKit-%s.msi' % version))
    bed.sample_runs(r'C:\Program Files\%s\sample.exe' % PRODUCT, 'package_installed_sample', screenshot)


def case_upgrade(bed, dist, version, bin_dir):
    bed.msiexec('/i', os.path.join(dist, 'MorvaneKit-previous.msi'))
    entries = bed.entries()
    if len(entries) != 1:
        fail('the previous version made %d uninstall entries' % len(entries))
    old_version = next(iter(entries.values())).get('"displayversion"')
    if old_version == '"%s"' % version:
        fail('the previous package carries this version: the upgrade would prove nothing')
    bed.msiexec('/i', os.path.join(dist, 'MorvaneKit-%s.msi' % version))
    expect_one_entry(bed, version)
    expect_installed_files(bed, bin_dir)
    if not any(k.endswith(r'\morvanelib.morvane\curver') for k in bed.export(CLASSES, 'upgraded')):
        fail('after the upgrade the control is not registered')


def case_zip(bed, dist, version, bin_dir):
    with open(os.path.join(bed.tree, 'wine', 'arch')) as f:
        name = 'MorvaneKit-%s-%s' % (version, f.read().strip())
    with zipfile.ZipFile(os.path.join(dist, name + '.zip')) as archive:
        members = sorted(m for m in archive.namelist() if not m.endswith('/'))
        expected = sorted('%s/%s' % (name, f) for f in PROGRAMS + ['README.txt', 'LICENSE.txt', 'x64/Morvane.ocx'])
        if members != expected:
            fail('the ZIP holds %s, expected %s' % (members, expected))
        archive.extractall(os.path.join(bed.drive_c, 'kit'))
    folder = r'C:\kit\%s' % name
    here = os.path.dirname(os.path.abspath(__file__))
    script = os.path.join(here, '..', 'registrar', 'ui', 'hhctrl_command.txt')
    bed.run(os.path.join(bed.tree, 'bin', 'uidriver.exe'), script,
            env={'HALVERN': folder + r'\Halvern.exe', 'HALVERN_OCX': folder + r'\Morvane.ocx',
                 'HALVERN_BUTTON': '4', 'HALVERN_EXPECT': '正常に登録できました。'})
    bed.sample_runs(folder + r'\sample.exe', 'package_zip_sample')


# The bitness a PE file's header names, by its machine field.
PE_MACHINES = {0x14c: 32, 0x8664: 64}


def pe_bits(path):
    with open(path, 'rb') as f:
        header = f.read(4096)
    if header[:2] != b'MZ' or len(header) < 0x40:
        return None
    offset = int.from_bytes(header[0x3c:0x40], 'little')
    if header[offset:offset + 4] != b'PE\0\0':
        return None
    return PE_MACHINES.get(int.from_bytes(header[offset + 4:offset + 6], 'little'))


def drive_script_host(bed, kit, tools, bits):
    """The control in C:\\KIT registered by TOOLS\\regsvr32 and driven by
    TOOLS\\cscript (script_host.vbs): devices listed, a 2 s capture read back
    by ffprobe, a still, then five more controls made, used and let go in
    turn before the host exits."""
    folder = os.path.join(bed.drive_c, kit)
    ocx = os.path.join(folder, 'Morvane.ocx')
    if pe_bits(ocx) != bits:
        fail('%s is no %d-bit program (its header says %s)' % (ocx, bits, pe_bits(ocx)))
    os.makedirs(os.path.join(folder, 'out'))
    bed.run(tools + r'\regsvr32.exe', '/s', r'C:\%s\Morvane.ocx' % kit)
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'script_host.vbs')
    result = bed.run(tools + r'\cscript.exe', '//nologo', winpath(script), r'C:\%s\out\script.avi' % kit,
                     r'C:\%s\out\script.bmp' % kit, '5', check=False)
    print(result.stdout)
    facts = dict(line.strip().split('=', 1) for line in result.stdout.splitlines() if '=' in line)
    if result.returncode != 0 or facts.get('done') != '1' or any(k.startswith('round') and k != 'rounds'
                                                                for k in facts):
        fail('the script host did not finish (%d):\n%s%s' % (result.returncode, result.stdout, result.stderr))
    # The processor a process is built for, as Windows tells it: x86 for a
    # 32-bit one, even on 64-bit Windows.
    host = {32: 'x86', 64: 'AMD64'}[bits]
    if facts.get('host', '').upper() != host.upper():
        fail('the script host ran as %s, not as a %d-bit process' % (facts.get('host'), bits))
    devices = int(facts['devices'])
    if devices < 1 or any(not facts.get('device%d' % i) for i in range(devices)):
        fail('the script host listed %d devices: %s' % (devices, facts))
    captured, dropped = int(facts['captured']), int(facts['dropped'])
    # Two seconds at 10 frames a second: every slot is either captured or dropped.
    if not 19 <= captured + dropped <= 21 or captured < 10:
        fail('a 2 s capture at 10 fps reported %d captured, %d dropped' % (captured, dropped))
    avi = os.path.join(folder, 'out', 'script.avi')
    probe = subprocess.run(['ffprobe', '-v', 'error', '-count_packets', '-select_streams', 'v:0',
                            '-show_entries', 'stream=nb_read_packets,width,height', '-of', 'csv=p=0', avi],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    print('ffprobe: %s%s' % (probe.stdout, probe.stderr))
    if probe.returncode != 0 or not probe.stdout.strip():
        fail('ffprobe cannot read the script host\'s capture')
    width, height, packets = probe.stdout.strip().split(',')[:3]
    if int(packets) not in (captured, captured + dropped):
        fail('the file holds %s video chunks; the control reported %d captured, %d dropped' % (
            packets, captured, dropped))
    still = subprocess.run(['identify', '-format', '%m %w %h', os.path.join(folder, 'out', 'script.bmp')],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if still.returncode != 0 or not still.stdout.startswith('BMP'):
        fail('the still is no bitmap: %s' % still.stdout)
    print('%d-bit script host: %d devices, %d captured, %d dropped, %sx%s, still %s' % (
        bits, devices, captured, dropped, width, height, still.stdout))


def case_script64(bed, dist, version, bin_dir, control64_dir):
    os.makedirs(os.path.join(bed.drive_c, 'kit64'))
    shutil.copy(os.path.join(control64_dir, 'Morvane.ocx'), os.path.join(bed.drive_c, 'kit64'))
    drive_script_host(bed, 'kit64', r'C:\windows\system32', 64)


def case_script32(bed, dist, version, bin_dir):
    with open(os.path.join(bed.tree, 'wine', 'arch')) as f:
        tree_arch = f.read().strip()
    # Only a 32-bit tree's ZIP has the 32-bit control at its top.
    if tree_arch != 'win32':
        fail('script32 needs the packages of a 32-bit tree; this tree is %s' % tree_arch)
    name = 'MorvaneKit-%s-%s' % (version, tree_arch)
    os.makedirs(os.path.join(bed.drive_c, 'kit32'))
    with zipfile.ZipFile(os.path.join(dist, name + '.zip')) as archive:
        with archive.open('%s/Morvane.ocx' % name) as packed, \
                open(os.path.join(bed.drive_c, 'kit32', 'Morvane.ocx'), 'wb') as unpacked:
            shutil.copyfileobj(packed, unpacked)
    # A 64-bit prefix keeps its 32-bit programs there; they see the
    # registry's 32-bit view, where that regsvr32 writes.
    drive_script_host(bed, 'kit32', r'C:\windows\syswow64', 32)


def view_changes(bed, key, ocx, tag, regsvr32='regsvr32', installed=None, only=None):
    """What the installer wrote under key (its export `installed`, else one
    taken now) against what the control's own self-registration writes
    there, both with the installed folder as <INSTALLDIR>; only: the
    subkeys of key to judge (all when None)."""
    folder = ocx.rsplit('\\', 1)[0]
    by_installer = installed if installed is not None else bed.export(key, tag + '-installed')
    bed.run(regsvr32, '/u', '/s', ocx)
    unregistered = bed.export(key, tag + '-unregistered')
    bed.run(regsvr32, '/s', ocx)
    by_regsvr32 = bed.export(key, tag + '-regsvr32')
    prefixes = tuple((key + '\\' + name).lower() for name in only or [])

    def judged(keys):
        return {k: v for k, v in keys.items() if not prefixes or k.startswith(prefixes)}

    before = normalised(judged(unregistered), folder)
    return (changes(before, normalised(judged(by_installer), folder)),
            changes(before, normalised(judged(by_regsvr32), folder)))


def script_hosts():
    """The folders of the script hosts this machine runs: the 64-bit one,
    and the 32-bit one where 32-bit programs run."""
    hosts = [r'C:\windows\system32']
    if os.environ.get('KIT_RUNS_WIN32') == '1':
        hosts.append(r'C:\windows\syswow64')
    return hosts


def settings_seen(bed, host_dir, *args):
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'settings_host.vbs')
    result = bed.run(host_dir + r'\cscript.exe', '//nologo', winpath(script), *args, check=False)
    facts = dict(line.strip().split('=', 1) for line in result.stdout.splitlines() if '=' in line)
    if result.returncode != 0 or 'file' not in facts:
        fail('the settings script did not finish (%d):\n%s%s' % (result.returncode, result.stdout, result.stderr))
    return facts


def expect_shared_settings(bed):
    """What a host of one bitness sets, a host of the other reads: both
    controls keep their settings in one place with one meaning. Where only
    64-bit programs run, a second 64-bit host reads them back instead."""
    hosts = script_hosts()
    for writer in hosts:
        for reader in hosts if len(hosts) == 1 else [h for h in hosts if h != writer]:
            wanted = {'rate': '7', 'limit': '3', 'file': r'C:\shared-%d.avi' % len(writer)}
            settings_seen(bed, writer, 'put', wanted['rate'], wanted['limit'], wanted['file'])
            seen = settings_seen(bed, reader, 'get')
            if any(seen.get(k) != v for k, v in wanted.items()):
                fail('settings put through %s read through %s as %s, expected %s' % (writer, reader, seen, wanted))
            print('settings put through %s (%s) read through %s (%s)' % (
                writer, seen.get('host'), reader, seen.get('host')))
    # Settings belong to the user and outlive an uninstall; the test's go.
    bed.run('reg', 'delete', r'HKCU\Software\Morvane', '/f', check=False)


def case_install_x64(bed, dist, version, bin_dir, bin32_dir, control64_dir):
    msi = os.path.join(dist, 'MorvaneKit-%s-x64.msi' % version)
    # A script host registers its own libraries when it first runs: that
    # happens before the snapshot, so that the uninstall is judged on ours.
    warm_up = os.path.join(bed.state, 'warm_up.vbs')
    with open(warm_up, 'w') as f:
        f.write('WScript.Echo "ready"\n')
    for host in script_hosts():
        bed.run(host + r'\cscript.exe', '//nologo', winpath(warm_up))
    before = bed.export_all('before')
    program_files = [os.path.join(bed.drive_c, d) for d in ('Program Files', 'Program Files (x86)')]
    files_before = [tree_files(d) for d in program_files]

    bed.msiexec('/i', msi)
    folder = os.path.join(bed.drive_c, 'Program Files (x86)', PRODUCT)
    expected = {f: os.path.join(bin32_dir, f) for f in PROGRAMS}
    expected[os.path.join('x64', 'Morvane.ocx')] = os.path.join(control64_dir, 'Morvane.ocx')
    for name, source in sorted(expected.items()):
        installed = os.path.join(folder, name)
        if not os.path.isfile(installed) or not filecmp.cmp(source, installed, shallow=False):
            fail('%s is not installed as packaged (the folder holds %s)' % (name, tree_files(folder)))
    expect_one_entry(bed, version)
    # As installed, before regsvr32 below takes the registration apart.
    expect_shared_settings(bed)

    ocx32 = r'C:\Program Files (x86)\%s\Morvane.ocx' % PRODUCT
    ocx64 = r'C:\Program Files (x86)\%s\x64\Morvane.ocx' % PRODUCT
    # The 64-bit control's keys in the native view; the 32-bit control's in
    # the 32-bit view, compared with its own self-registration where 32-bit
    # programs run, else read for its server.
    view32 = r'HKEY_LOCAL_MACHINE\Software\Wow6432Node\Classes'
    installed32 = bed.export(view32, '32-installed')
    native = view_changes(bed, CLASSES, ocx64, 'native')
    installer, regsvr32 = native
    if not regsvr32 or installer != regsvr32:
        fail('in the native view the installer wrote other keys than the 64-bit regsvr32:\n  installer:\n    %s'
             '\n  regsvr32:\n    %s' % ('\n    '.join(installer), '\n    '.join(regsvr32)))
    if os.environ.get('KIT_RUNS_WIN32') == '1':
        # Only the class and interface keys have a 32-bit view of their own;
        # the ProgIDs and the type library are shared with the 64-bit control
        # (where a 32-bit program's registration writes them depends on what
        # is there already), and are judged in the native view above.
        installer, regsvr32 = view_changes(bed, view32, ocx32, '32', r'C:\windows\syswow64\regsvr32.exe',
                                           installed32, ['clsid', 'interface'])
        if not regsvr32 or installer != regsvr32:
            fail('in the 32-bit view the installer wrote other keys than the 32-bit regsvr32:\n  installer:'
                 '\n    %s\n  regsvr32:\n    %s' % ('\n    '.join(installer), '\n    '.join(regsvr32)))
    else:
        keys = installed32
        servers = [v.get('@') for k, v in keys.items() if k.lower().endswith(r'\inprocserver32')]
        wanted = '"%s"' % ocx32.replace('\\', '\\\\')
        if wanted not in servers:
            fail('the 32-bit view names no 32-bit control (servers %s)' % servers)
        if not any(k.lower().endswith(r'\0\win32') for k in keys):
            fail('the 32-bit view has no 32-bit type library')
        print('32-bit view read, not compared: this host runs no 32-bit programs')
    print('%d registry changes of the 64-bit control compared with regsvr32' % len(native[1]))

    bed.msiexec('/x', msi)
    left = uninstall_left(before, bed.export_all('after'))
    if left:
        fail('the uninstall left the registry changed:\n  ' + '\n  '.join(left))
    for place, files in zip(program_files, files_before):
        if tree_files(place) != files:
            fail('the uninstall left %s changed: %s' % (place, sorted(set(tree_files(place)) ^ set(files))))


def case_template(bed, dist, version, bin_dir):
    pass


CASES = {'template': case_template, 'install': case_install, 'sample': case_sample, 'upgrade': case_upgrade, 'zip': case_zip,
         'install_x64': case_install_x64, 'script64': case_script64, 'script32': case_script32}


def main():
    if len(sys.argv) < 6 or sys.argv[1] not in list(CASES) + ['cleanup']:
        sys.exit(__doc__)
    case, source, tree, dist, work = sys.argv[1:6]
    extra = sys.argv[6:]
    if case == 'cleanup':
        shutil.rmtree(os.path.join(work, 'template', 'prefix'), ignore_errors=True)
        return
    version = None
    if case != 'template':
        with open(os.path.join(dist, 'version.txt')) as f:
            version = f.read().strip()
    # The x64 package and the script hosts run in a 64-bit prefix, as on 64-bit Windows.
    bed = Bed(source, tree, work, case, arch='win64' if case in ('install_x64', 'script64', 'script32') else None)
    try:
        CASES[case](bed, dist, version, os.path.join(tree, 'bin'), *extra)
    finally:
        bed.stop()
    # A prefix takes 700 MB; a failed case keeps its own to be looked at.
    if case != 'template':
        shutil.rmtree(os.path.join(bed.state, 'prefix'), ignore_errors=True)
    print('PASS: package %s' % case)


if __name__ == '__main__':
    main()
