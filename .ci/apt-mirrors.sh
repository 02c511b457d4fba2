# Sourced: the Debian bookworm suites of this machine's apt sources, so that
# roots and downloads come from the mirror apt already uses.
# apt_mirror_lines   prints "deb URI SUITE COMPONENT..." for bookworm,
#                    bookworm-updates and bookworm-security (default: Debian's
#                    own mirror when the sources name none).
apt_mirror_lines() {
  local files=()
  [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
  for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  { [ ${#files[@]} -gt 0 ] && awk '
    function flush(   u, s, nu, ns, us, ss) {
      if (types ~ /(^| )deb( |$)/ && enabled != "no") {
        nu = split(uris, us, " "); ns = split(suites, ss, " ")
        for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++) emit(us[u], ss[s], comps)
      }
      types = uris = suites = comps = ""; enabled = "yes"
    }
    function emit(uri, suite, components) {
      if (suite ~ /^bookworm(-updates|-security)?$/ && !seen[uri " " suite]++)
        print "deb " uri " " suite " " components
    }
    FNR == 1 { flush() }
    /^[ \t]*#/ { next }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      field = tolower($1); sub(/:$/, "", field); $1 = ""; sub(/^ +/, "")
      if (field == "types") types = $0
      else if (field == "uris") uris = $0
      else if (field == "suites") suites = $0
      else if (field == "components") comps = $0
      else if (field == "enabled") enabled = tolower($0)
      next
    }
    $1 == "deb" {
      i = 2
      if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      c = ""; for (j = i + 2; j <= NF; j++) c = c " " $j
      emit($i, $(i + 1), substr(c, 2))
    }
    END { flush() }
  ' "${files[@]}"; } | grep . || echo "deb http://deb.debian.org/debian bookworm main"
}
