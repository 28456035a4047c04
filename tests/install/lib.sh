# Shared by the install checks: failing with a message, and the tools they use.
fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

need_tools()
{
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup-deps.sh installs it)"
    done
}

# A temporary folder removed when the check ends, however it ends.
make_scratch()
{
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
}
