#!/usr/bin/python3
"""ansible-test sanity on the collection korva.processor, run offline: ansible-test would build each test's
virtual environment with pinned packages from PyPI; here every test runs on this Python with the Debian
packages instead (python3-yaml, python3-jinja2, python3-voluptuous, pylint, python3-pycodestyle, yamllint).

usage: ansible_sanity.py COLLECTION_DIR"""

import importlib
import os
import shutil
import sys
import tempfile

import yaml

# ansible-test cannot be imported from its usual place under another name: take the Debian one.
sys.path.insert(0, '/usr/lib/python3/dist-packages')

from ansible_test._internal import main as ansible_test_main  # noqa: E402
from ansible_test._internal.host_configs import VirtualPythonConfig  # noqa: E402

sanity = importlib.import_module('ansible_test._internal.commands.sanity')
sanity_import = importlib.import_module('ansible_test._internal.commands.sanity.import')

# Skipped, and why:
#   shellcheck, pslint: the collection has no shell or PowerShell files.
SKIPPED = ['shellcheck', 'pslint']


def this_python(args, python, name, coverage=False, minimize=False):
    """Stands in for ansible-test's per-test virtual environment: this interpreter with Debian's packages."""
    return VirtualPythonConfig(version=python.version, path=sys.executable)


def main():
    root = tempfile.mkdtemp(prefix='korva-sanity-')
    try:
        tree = os.path.join(root, 'ansible_collections', 'korva', 'processor')
        shutil.copytree(sys.argv[1], tree, ignore=shutil.ignore_patterns('tests', '*.tar.gz', '__pycache__'))
        os.chdir(tree)
        # Tools ansible-test starts look for "python": this one, not another first on PATH.
        bin_dir = os.path.join(root, 'bin')
        os.mkdir(bin_dir)
        os.symlink(sys.executable, os.path.join(bin_dir, 'python'))
        os.environ['PATH'] = bin_dir + os.pathsep + os.environ['PATH']
        for module in (sanity, sanity_import):
            module.create_sanity_virtualenv = this_python
            module.check_sanity_virtualenv_yaml = lambda python: hasattr(yaml, 'CSafeLoader')
        args = ['sanity', '--python', '%d.%d' % sys.version_info[:2], '--color', 'no'] + sys.argv[2:]
        for test in SKIPPED:
            args += ['--skip-test', test]
        sys.argv = ['ansible-test'] + args
        ansible_test_main()
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == '__main__':
    main()
