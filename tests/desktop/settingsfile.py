"""The settings file as the desktop tests read and change it: three lines a
setting (name, value, kind) in Windows-1252 with CR LF line ends."""
import os


def read_settings(folder):
    with open(os.path.join(folder, "volumnia.kelt"), "rb") as file:
        lines = file.read().decode("cp1252").split("\r\n")
    return {lines[i]: lines[i + 1] for i in range(0, len(lines) - 2, 3)}


def write_settings(folder, changes):
    """Sets the named settings; one the file lacks is added at its end, an
    integer when its value is a number."""
    path = os.path.join(folder, "volumnia.kelt")
    with open(path, "rb") as file:
        lines = file.read().decode("cp1252").split("\r\n")
    for i in range(0, len(lines) - 2, 3):
        if lines[i] in changes:
            lines[i + 1] = changes[lines[i]]
    for name in set(changes) - set(lines[0:len(lines) - 2:3]):
        value = changes[name]
        lines[-1:-1] = [name, value, "vInteger" if value.lstrip("-").isdigit() else "vString"]
    with open(path, "wb") as file:
        file.write("\r\n".join(lines).encode("cp1252"))
