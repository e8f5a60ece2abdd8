#!/usr/bin/env python3
"""Writes the bash completion of vedoze-vaderuve-export by asking the built
program itself, so that the completion cannot drift from the parser:

- its options are the words that `--help` lists;
- whether an option applies to a command (image, movie, mesh) and whether it
  takes a value is what the parser answers when given the option alone;
- an option with a fixed set of values names them when given a wrong one
  ("--mode is points, wireframe, ... or rows, not '...'");
- the output's extensions are those named when -o gets a wrong one.

Only the parser runs (it stops at the first fault), so no display, no GL
and no file is touched. Usage: make_completion.py EXPORTER OUTPUT
"""

import re
import subprocess
import sys

COMMANDS = ("image", "movie", "mesh", "curves")
# Stops the program before any other word is read; offered only first.
STOPPERS = ("--help", "--version")
# A word that no option takes as a value: it names no number, mode or file.
PROBE = "@probe@"


def fault(exporter, *words):
    """The one-line complaint of the parser for this command line ('' if none)."""
    run = subprocess.run([exporter, *words], capture_output=True, text=True, timeout=30)
    if run.returncode == 0:
        raise SystemExit(f"make_completion: {' '.join(words)} was accepted; expected a complaint")
    return run.stderr.strip()


def choices(text):
    """'X is a, b or c, not ...' -> ['a', 'b', 'c'], each alternative's first
    word ('latitude N or longitude N' -> ['latitude', 'longitude']); anything
    else -> []."""
    found = re.search(r" is ((?:[\w-]+(?: [\w.]+)?, )*[\w-]+(?: [\w.]+)? or [\w-]+(?: [\w.]+)?), not ", text)
    return [alternative.split()[0] for alternative in re.split(r", | or ", found.group(1))] if found else []


def describe(exporter, command, options):
    """For one command: its options, the value-taking ones with their fixed
    values (or None), and the output's extensions."""
    offered, values = [], {}
    for option in options:
        text = fault(exporter, command, option)
        if "does not apply to" in text:
            continue
        offered.append(option)
        # An option alone at the end either lacks its value, or (when the
        # parser reads its value itself) is refused with an empty one.
        if text.endswith(f"{option} needs a value (see --help)") or text.endswith("not '' (see --help)"):
            values[option] = choices(fault(exporter, command, option, PROBE, "-o", PROBE)) if option not in (
                "-o", "--output") else None
    extensions = re.findall(r"FILE\.(\w+)", fault(exporter, command, "-o", PROBE + ".zzz"))
    return offered, values, extensions


def quote(words):
    return " ".join(words)


def main(exporter, output):
    help_text = subprocess.run([exporter, "--help"], capture_output=True, text=True, timeout=30, check=True).stdout
    options = []
    for word in re.findall(r"(?<![\w-])(--?[a-z][a-z0-9-]*)", help_text):
        if word not in options and word not in STOPPERS and word != "-h":
            options.append(word)
    if "-o" not in options or "--time" not in options:
        raise SystemExit("make_completion: --help lists no options")

    cases = []
    for command in COMMANDS:
        offered, values, extensions = describe(exporter, command, options)
        lines = [f"    {command})",
                 f"        options='{quote(offered)}'",
                 f"        files='@({'|'.join(extensions)})'"]
        enumerated = [f"        {o}) choices='{quote(v)}' ;;" for o, v in values.items() if v]
        free = [o for o, v in values.items() if not v and o not in ("-o", "--output")]
        lines.append("        case $prev in")
        lines.append("        -o | --output) _filedir \"$files\"; return ;;")
        lines += enumerated
        if free:
            # A number or a size: nothing sensible to offer.
            lines.append(f"        {' | '.join(free)}) return ;;")
        lines.append("        esac")
        lines.append("        ;;")
        cases += lines

    script = f"""# bash completion for vedoze-vaderuve-export                -*- shell-script -*-
# Generated from the program's own answers by packaging/make_completion.py.

_vedoze_vaderuve_export()
{{
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W '{quote(COMMANDS)} {quote(STOPPERS)}' -- "$cur"))
        return
    fi
    local options files choices=''
    case ${{words[1]}} in
{chr(10).join(cases)}
    *) return ;;
    esac
    if [[ -n $choices ]]; then
        COMPREPLY=($(compgen -W "$choices" -- "$cur"))
    else
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
}} &&
    complete -F _vedoze_vaderuve_export vedoze-vaderuve-export

# ex: filetype=sh
"""
    with open(output, "w", encoding="utf-8") as out:
        out.write(script)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: make_completion.py EXPORTER OUTPUT")
    main(sys.argv[1], sys.argv[2])
