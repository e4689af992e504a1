"""What scripts/bench makes of its measurements: the harness's results read
back, the statistics and ratios of each media kind and build, the start-up
breakdown, the files read from the medium in Wine's file trace, and the
report printed and written as Markdown tables (the README's).

Nothing here starts a program: scripts/bench runs them, tests/scripts tests
this."""
import re
import statistics

RATIO_LIMIT = 1.05
# Under Wine a program's start falls into two groups some 30 ms apart (on a
# quiet machine, on one CPU too), so a median flips between them: the ratio
# of two medians of 100 to 200 rounds scatters by 4 to 6 % between runs,
# that of two means of the rounds without the fastest and slowest 5 % by 2 %.
# The limits hold the latter; the medians are shown beside them.
TRIM = 0.05
MIN_REPS = 20

# The media kinds, in the order the tables show them.
MEDIA = ("z", "cd")
MEDIA_LABELS = {"z": "Z:", "cd": "CD"}
ARCH_LABELS = {"win64": "64-bit", "win32": "32-bit"}

LABELS = {
    "corvane": "corvane.exe",
    "window_launch": "window + ShellExecuteEx",
    "no_window": "ShellExecuteEx, no window",
    "design": "design floor",
    "design_launch": "design floor + ShellExecuteEx",
    "window_only": "bare window",
}
MARKDOWN_LABELS = {
    "corvane": "`corvane.exe`",
    "window_launch": "a window, then `ShellExecuteEx`",
    "no_window": "`ShellExecuteEx`, no window",
    "design": "design floor",
    "design_launch": "design floor, then `ShellExecuteEx`",
    "window_only": "bare window",
}
ROWS = (("target", ("corvane", "design_launch", "window_launch", "no_window")),
        ("visible", ("corvane", "design", "window_only")))
MEASURES = {"target": "start of the document", "visible": "window visible"}

# key, measure, floor, limit, what it compares
COMPARISONS = (
    ("start_to_target", "target", "design_launch", RATIO_LIMIT,
     "start to document, against the design floor then `ShellExecuteEx`"),
    ("start_to_target_window", "target", "window_launch", None,
     "start to document, against a window then `ShellExecuteEx`"),
    ("start_to_visible", "visible", "design", RATIO_LIMIT, "start to visible popup, against the design floor"),
    ("start_to_visible_bare", "visible", "window_only", None, "start to visible popup, against the bare window"),
)


def read_results(lines):
    """The harness's results file: each program is named name/arch/medium.
    Returns the samples and failures by (name, arch, medium, measure) and the
    marks by (name, arch, medium) -> round -> [(label, ms)] in the order
    written."""
    samples, failures, marks = {}, {}, {}
    for line in lines:
        parts = line.rstrip("\n").split("\t")
        if len(parts) < 4:
            continue
        name, arch, medium = parts[0].split("/")
        if parts[1] == "mark" and len(parts) >= 5:
            marks.setdefault((name, arch, medium), {}).setdefault(int(parts[2]), []).append(
                (parts[4], float(parts[3])))
        elif parts[3] == "FAIL":
            failures.setdefault((name, arch, medium, parts[1]), []).append(parts[4] if len(parts) > 4 else "")
        else:
            samples.setdefault((name, arch, medium, parts[1]), []).append(float(parts[3]))
    return samples, failures, marks


def trimmed_mean(values, cut=TRIM):
    ordered = sorted(values)
    k = int(len(ordered) * cut)
    return statistics.mean(ordered[k:len(ordered) - k])


def stats(values):
    return {"n": len(values), "median_ms": round(statistics.median(values), 1),
            "trimmed_mean_ms": round(trimmed_mean(values), 1), "min_ms": round(min(values), 1),
            "max_ms": round(max(values), 1)}


def breakdown(rounds):
    """Median cost of each piece (time since the previous mark), in mark order."""
    order, pieces, totals = [], {}, {}
    for marks in rounds.values():
        previous = 0.0
        for label, ms in marks:
            if label not in pieces:
                order.append(label)
            pieces.setdefault(label, []).append(ms - previous)
            totals.setdefault(label, []).append(ms)
            previous = ms
    return [{"piece": label, "median_ms": round(statistics.median(pieces[label]), 2),
             "at_ms": round(statistics.median(totals[label]), 1)} for label in order]


def summarize(samples, failures, marks, archs, media):
    """Statistics, ratios and breakdown of each media kind and build, and the
    problems found. Each corvane.exe is compared with the floors run from the
    same medium, and each limit holds for each media kind on its own."""
    problems = []
    results = {}
    for (name, arch, medium, measure), values in sorted(samples.items()):
        results.setdefault(medium, {}).setdefault(arch, {}).setdefault(measure, {})[name] = stats(values)
    for (name, arch, medium, measure), whys in sorted(failures.items()):
        entry = results.setdefault(medium, {}).setdefault(arch, {}).setdefault(measure, {}).setdefault(name, {"n": 0})
        entry["failed"] = len(whys)
        problems.append("%s (%s, %s) %s failed %d time(s): %s" % (name, arch, medium, measure, len(whys), whys[0]))

    def entry_of(medium, arch, measure, name):
        entry = results.get(medium, {}).get(arch, {}).get(measure, {}).get(name)
        if not entry or entry.get("n", 0) < MIN_REPS:
            problems.append("fewer than %d good runs of %s (%s, %s, %s)" % (MIN_REPS, name, arch, medium, measure))
            return None
        return entry

    ratios = {}
    for medium in media:
        for arch in archs:
            for key, measure, base, limit, _ in COMPARISONS:
                ea, eb = entry_of(medium, arch, measure, "corvane"), entry_of(medium, arch, measure, base)
                if ea is None or eb is None:
                    continue
                a, b = ea["trimmed_mean_ms"], eb["trimmed_mean_ms"]
                ratios.setdefault(medium, {}).setdefault(arch, {})[key] = {
                    "corvane_ms": a, "baseline": base, "baseline_ms": b, "ratio": round(a / b, 3), "limit": limit,
                    "median_ratio": round(ea["median_ms"] / eb["median_ms"], 3)}
                if limit is not None and a / b > limit:
                    problems.append("%s %s %s: corvane.exe %.1f ms against %s %.1f ms (means without the outer 5 %%), "
                                    "ratio %.3f > %.2f" % (arch, MEDIA_LABELS[medium], key, a, LABELS[base], b, a / b,
                                                           limit))
    pieces = {medium: {arch: {name: breakdown(marks.get((name, arch, medium), {}))
                              for name in ("corvane", "design", "window_only")} for arch in archs} for medium in media}
    return results, ratios, pieces, problems


def medium_files(lines, root):
    """Reads Wine's file trace (WINEDEBUG=+pid,+file) of one run of corvane.exe
    from the medium folder `root` (its Windows path without the final
    backslash: "Z:\\home\\...\\medium-win64", or "G:" for a drive's root).
    Returns how often Corva.INF was opened and read and how many bytes the
    reads returned, and every access of corvane.exe's process to the folder
    by name ("NtCreateFile \\Corva.INF", "\\" being the folder itself) or by
    listing it ("NtQueryDirectoryFile \\ L\"name\"")."""
    # Wine's trace doubles each backslash of a name.
    medium_nt = root.replace("\\", "\\\\").lower()
    accesses = []  # (pid, call, name)
    opens = reads = read_bytes = 0
    handles = {}  # "pid" -> handle of the open settings file
    # (pid, tid, status block) of opens of the medium folder: a listing names
    # the status block of the open that made its handle, and a later open on
    # the same thread may reuse the block for another folder.
    dir_handles = set()
    pending = {}  # "pid:tid" -> kind of name awaiting its handle
    current_read = False
    corvane_pid = None
    for line in lines:
        m = re.match(r"([0-9a-f]+):([0-9a-f]+):trace:file:(.*)", line)
        if not m:
            continue
        pid, tid, rest = m.groups()
        call = rest.split(" ", 1)[0].split("(", 1)[0]
        if call in ("NtCreateFile", "NtOpenFile", "NtQueryAttributesFile", "NtQueryFullAttributesFile"):
            name = re.search(r'L"([^"]*)"', rest)
            name = name.group(1) if name else ""
            io = re.search(r" io=(0x[0-9a-f]+)", rest)
            if io:
                dir_handles.discard((pid, tid, io.group(1)))
            below = name[len("\\\\??\\\\") + len(medium_nt):]
            if name.lower().startswith("\\\\??\\\\" + medium_nt) and below[:2] in ("", "\\\\"):
                short = below.replace("\\\\", "\\") or "\\"
                accesses.append((pid, call, short))
                if short.lower() == "\\corva.inf":
                    corvane_pid = pid
                    opens += 1
                    pending[pid + ":" + tid] = "settings"
                elif short == "\\" and io:
                    dir_handles.add((pid, tid, io.group(1)))
            continue
        r = re.match(r"CreateFileW returning ([0-9A-Fa-f]+)", rest)
        if r:
            value = int(r.group(1), 16)
            kind = pending.pop(pid + ":" + tid, None)
            if kind == "settings":
                handles[pid] = value
            elif handles.get(pid) == value:
                del handles[pid]
            continue
        r = re.match(r"NtQueryDirectoryFile \((0x[0-9a-f]+) \S+ \S+ \S+ (0x[0-9a-f]+) .* (L\"[^\"]*\"|<null>)", rest)
        if r and (pid, tid, r.group(2)) in dir_handles:
            accesses.append((pid, "NtQueryDirectoryFile", "\\ " + r.group(3)))
            continue
        r = re.match(r"NtReadFile \((0x[0-9a-f]+),", rest)
        if r and handles.get(pid) == int(r.group(1), 16):
            reads += 1
            current_read = True
            continue
        r = re.match(r"NtReadFile = SUCCESS \((\d+)\)", rest)
        if r and current_read:
            read_bytes += int(r.group(1))
        current_read = False
    # Only corvane.exe's own process counts (the one that opens Corva.INF),
    # not Wine's start-up helper or the document's program.
    accesses = [(call, name) for pid, call, name in accesses if pid == corvane_pid]
    return {"opens": opens, "reads": reads, "bytes_read": read_bytes, "accesses": ["%s %s" % a for a in accesses]}


def columns(report):
    """(medium, arch) of each column of the tables: each build from each
    media kind, the builds side by side."""
    return [(medium, arch) for arch in report["architectures_run"] for medium in report["media_run"]]


def column_label(medium, arch):
    return "%s %s" % (ARCH_LABELS[arch], MEDIA_LABELS[medium])


def print_report(report):
    m = report["machine"]
    print("Corvane bench, %s: %s CPU(s) %s, %s, load %s -> %s, %s"
          % (report["date"], m["nproc"], m["cpu"], m["wine"], " ".join("%.2f" % x for x in report["load_average_before"]),
             " ".join("%.2f" % x for x in report["load_average_after"]), minutes(report)))
    if report.get("pinned_cpu") is not None:
        print("The Wine session ran on CPU %d only (--all-cpus lets it use all)." % report["pinned_cpu"])
    if report["not_run_32bit"]:
        print("32-bit programs not run: " + report["not_run_32bit"])
    for medium, drive in sorted(report["media"].items()):
        print("%-3s %s" % (MEDIA_LABELS[medium], drive["description"]))
    print()
    print("%-30s %-8s %-6s %-3s %4s %9s %9s %9s %9s" % ("program", "measure", "build", "", "n", "mean*", "median",
                                                       "min", "max"))
    for measure, names in ROWS:
        for name in names:
            for medium, arch in columns(report):
                s = report["results"].get(medium, {}).get(arch, {}).get(measure, {}).get(name)
                if not s:
                    continue
                head = "%-30s %-8s %-6s %-3s %4d" % (LABELS[name], measure, arch, MEDIA_LABELS[medium], s["n"])
                if "median_ms" in s:
                    print("%s %6.1f ms %6.1f ms %6.1f ms %6.1f ms" % (head, s["trimmed_mean_ms"], s["median_ms"],
                                                                     s["min_ms"], s["max_ms"]))
                else:
                    print(head + "   failed")
    print("* mean of the rounds without the fastest and slowest %d %%; the limits hold these" % round(100 * TRIM))
    print()
    for medium, arch in columns(report):
        for key, _, _, _, explain in COMPARISONS:
            r = report["ratios"].get(medium, {}).get(arch, {}).get(key)
            if not r:
                continue
            verdict = "" if r["limit"] is None else ("  limit %.2f %s" % (r["limit"], "ok" if r["ratio"] <= r["limit"]
                                                                           else "OVER"))
            print("%-6s %-3s ratio %.3f (medians %.3f)  %s%s" % (arch, MEDIA_LABELS[medium], r["ratio"],
                                                                 r["median_ratio"], explain.replace("`", ""), verdict))
    print()
    for medium, arch in columns(report):
        b = report["breakdown"][medium][arch]
        print("Start-up breakdown, %s from %s (medians of the marks builds, ms; each piece ends at its mark):"
              % (arch, MEDIA_LABELS[medium]))
        for name in ("corvane", "design", "window_only"):
            rows = b.get(name) or []
            if not rows:
                print("  %s: no marks" % LABELS[name])
                continue
            print("  %s" % LABELS[name])
            previous = "process start"
            for row in rows:
                print("    %-58s %7.2f   at %6.1f" % ("%s -> %s" % (previous, row["piece"]), row["median_ms"],
                                                    row["at_ms"]))
                previous = row["piece"]
        print()
    for arch, facts in report["executables"].items():
        limit = " (limit %d)" % facts["limit_bytes"] if "limit_bytes" in facts else ""
        print("%-6s corvane.exe %7d bytes%s, %s, %s, imports %s" % (arch, facts["bytes"], limit,
              "stripped" if facts["stripped"] else "NOT stripped",
              "marks: HELD" if facts["holds_marks"] else "no marks", " ".join(facts["imports"])))
    for medium, arch in columns(report):
        facts = report["medium_files"][medium][arch]
        print("%-6s %-3s file accesses to the medium in one run: %d; Corva.INF opened %d, read %d (%d of %d bytes)"
              % (arch, MEDIA_LABELS[medium], facts["medium_accesses"], facts["opens"], facts["reads"],
                 facts["bytes_read"], facts["file_size"]))


def minutes(report):
    return "%.0f minutes measuring" % (report["measuring_seconds"] / 60.0)


def markdown(report):
    """The README's tables of this run, ready to paste."""
    cols = columns(report)
    m = report["machine"]
    out = ["Figures of %s, %s CPUs (%s), load average %.2f at the start, %.2f at the end, %s with Xvfb; "
           "%d rounds to the document and %d to the visible window after %d warm-up rounds, all programs from %s "
           "in one rotation, %s. Times from process start, in milliseconds: "
           "mean without the outer 5 %% / median (min–max):"
           % (re.sub(r"(\d\d:\d\d):\d\d", r"\1", report["date"]), m["nproc"], m["cpu"],
              report["load_average_before"][0], report["load_average_after"][0], m["wine"], report["repetitions"], report["visible_repetitions"], report["warmup_rounds"],
              " and ".join(MEDIA_LABELS[medium] for medium in report["media_run"]), minutes(report)),
           ""]
    out += table(["program", "measure"] + [column_label(*c) for c in cols], "|---|---|" + "---:|" * len(cols))
    for measure, names in ROWS:
        for name in names:
            cells = []
            for medium, arch in cols:
                s = report["results"].get(medium, {}).get(arch, {}).get(measure, {}).get(name, {})
                cells.append("%.1f / %.1f (%.1f–%.1f)" % (s["trimmed_mean_ms"], s["median_ms"], s["min_ms"],
                                                          s["max_ms"]) if "median_ms" in s else "failed")
            out.append("| %s | %s | %s |" % (MARKDOWN_LABELS[name], MEASURES[measure], " | ".join(cells)))
    out.append("")
    out += table(["ratio (of the means; of the medians in brackets)"] + [column_label(*c) for c in cols] + ["limit"],
                 "|---|" + "---:|" * (len(cols) + 1))
    for key, _, _, limit, explain in COMPARISONS:
        cells = []
        for medium, arch in cols:
            r = report["ratios"].get(medium, {}).get(arch, {}).get(key)
            cells.append("%.3f (%.3f)" % (r["ratio"], r["median_ratio"]) if r else "–")
        out.append("| %s | %s | %s |" % (explain, " | ".join(cells), "%.2f" % limit if limit else "none"))
    out.append("")
    out += table(["piece (up to the mark)"] + [h for c in cols for h in (column_label(*c), "at")],
                 "|---|" + "---:|" * (2 * len(cols)))
    for name in ("corvane", "design", "window_only"):
        labels = []
        for medium, arch in cols:
            labels += [row["piece"] for row in report["breakdown"][medium][arch].get(name, [])
                       if row["piece"] not in labels]
        for label in labels:
            cells = []
            for medium, arch in cols:
                row = [r for r in report["breakdown"][medium][arch].get(name, []) if r["piece"] == label]
                cells += ["%.2f" % row[0]["median_ms"], "%.1f" % row[0]["at_ms"]] if row else ["–", "–"]
            piece = "`%s`" % label if name == "corvane" else "%s: `%s`" % (MARKDOWN_LABELS[name], label)
            out.append("| %s | %s |" % (piece, " | ".join(cells)))
    out.append("")
    out += table(["one run under Wine's file trace"] + [column_label(*c) for c in cols], "|---|" + "---:|" * len(cols))
    files = [report["medium_files"][medium][arch] for medium, arch in cols]
    out.append("| accesses to the medium | %s |" % " | ".join(str(f["medium_accesses"]) for f in files))
    out.append("| `Corva.INF` opened, read (bytes of all) | %s |" % " | ".join(
        "%d, %d (%d of %d)" % (f["opens"], f["reads"], f["bytes_read"], f["file_size"]) for f in files))
    out.append("")
    sizes = report["executables"]
    out.append("Sizes: 32-bit `corvane.exe` {:,} bytes (limit {:,}), 64-bit {:,} bytes; {}, imports {}.".format(
        sizes["win32"]["bytes"], sizes["win32"]["limit_bytes"], sizes["win64"]["bytes"],
        "both stripped" if all(f["stripped"] for f in sizes.values()) else "NOT both stripped",
        ", ".join(sorted(set(sizes["win32"]["imports"]) | set(sizes["win64"]["imports"])))))
    return "\n".join(out) + "\n"


def table(header, rule):
    return ["| %s |" % " | ".join(header), rule]
