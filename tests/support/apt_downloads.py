"""apt's downloads, shared between the Debian roots that the tests make."""

import os
import shutil


def share_apt_downloads(source, target):
    """Hard-links the Debian packages in the folder source that target lacks:
    apt's downloads, kept beside the Debian roots for the next layer's apt
    (which checks them against its lists and downloads only what is missing),
    or handed back from a layer's /var/cache/apt/archives. Copied where the
    two are on different file systems."""
    os.makedirs(target, exist_ok=True)
    for name in os.listdir(source) if os.path.isdir(source) else ():
        if name.endswith(".deb") and not os.path.exists(os.path.join(target, name)):
            try:
                os.link(os.path.join(source, name), os.path.join(target, name))
            except OSError:
                shutil.copy(os.path.join(source, name), target)
