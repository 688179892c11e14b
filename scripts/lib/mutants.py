# The mutants of scripts/mutate: one a line, "file<TAB>line<TAB>operator<TAB>new line",
# in an order fixed by the seed.
#
#   python3 scripts/lib/mutants.py SEED FILE...
import random, re, sys
seed, files = int(sys.argv[1]), sys.argv[2:]
SWAPS = [(r"(?<=\s)==(?=\s)", "!="), (r"(?<=\s)!=(?=\s)", "=="), (r"(?<=\s)<=(?=\s)", "<"),
         (r"(?<=\s)>=(?=\s)", ">"), (r"(?<=\s)<(?=\s)", "<="), (r"(?<=\s)>(?=\s)", ">="),
         (r"&&", "||"), (r"\|\|", "&&"), (r"!(?!=)", ""), (r"\breturn true;", "return false;"),
         (r"\breturn false;", "return true;"), (r"(?<![\w.'])0(?![\w.'])", "1"),
         (r"(?<![\w.'])1(?![\w.'])", "0"), (r"\bbreak;", "continue;"), (r"\bcontinue;", "break;")]
def code_mask(line):  # positions outside strings, characters and comments
    mask, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote is None and line.startswith("//", i):
            break
        mask.append(quote is None and c not in "\"'")
        if quote and c == "\\":
            mask.append(False); i += 1
        elif c in "\"'" and (quote is None or quote == c):
            quote = None if quote else c
        i += 1
    return mask + [False] * (len(line) - len(mask))
def condition_end(line, start):  # the ) that closes the ( at start
    depth = 0
    for i in range(start, len(line)):
        depth += {"(": 1, ")": -1}.get(line[i], 0)
        if depth == 0:
            return i
    return None
mutants = []
for name in files:
    lines = open(name).read().split("\n")
    previous = "{"
    for number, line in enumerate(lines, 1):
        text = line.strip()
        if not text or text.startswith(("//", "#", "*", "/*")):
            continue
        mask = code_mask(line)
        def add(kind, new):
            mutants.append(f"{name}\t{number}\t{kind}\t{new}")
        for pattern, replacement in SWAPS:
            for m in re.finditer(pattern, line):
                if all(mask[m.start():m.end()]):
                    add(m.group(0) + " -> " + (replacement or "(none)"),
                        line[:m.start()] + replacement + line[m.end():])
        for m in re.finditer(r"\b(if|while) \(", line):
            end = condition_end(line, m.end() - 1)
            if mask[m.start()] and end:
                add("negated", line[:m.end()] + "!(" + line[m.end():end] + ")" + line[end:])
        if (text.endswith(";") and previous[-1:] in ";{})" and not
                re.match(r"(return|break|continue|case|default)\b|[})]", text) and not
                re.match(r"(const |constexpr )?[\w:<>]+[&*]? \w+ *[=({;]", text)):  # a declaration
            add("statement left out", line[:len(line) - len(line.lstrip())] + ";")
        previous = re.sub(r"\s*//.*$", "", text) or previous
random.Random(seed).shuffle(mutants)
print("\n".join(mutants))
