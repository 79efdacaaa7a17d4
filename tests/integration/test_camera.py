#!/usr/bin/env python3
"""Each camera of the default scenario serves a JPEG frame at its own address behind admin and
its own password, and takes a new password through /system.cgi."""

import struct

from orbtest import check, curl, recorder, run

USER = "admin"


def frame_url(camera):
    return f"http://{camera['ip']}:{camera.get('httpPort', 80)}/image/jpeg.cgi"


def jpeg_size(data):
    """(width, height) from the first start-of-frame segment; None when the stream has none."""
    i = 2
    while i + 4 <= len(data) and data[i] == 0xFF:
        marker = data[i + 1]
        length = struct.unpack_from(">H", data, i + 2)[0]
        if marker in (0xC0, 0xC1, 0xC2) and i + 9 <= len(data):
            height, width = struct.unpack_from(">HH", data, i + 5)
            return width, height
        i += 2 + length
    return None


def test_every_camera_serves_a_jpeg_frame():
    for camera in recorder(0)["cameras"]:
        status, head, body = curl(frame_url(camera), "--anyauth",
                                  user=f"{USER}:{camera.get('adminPassword', '')}")
        check(status == 200, f"{camera['ip']}: status {status}")
        check(body[:2] == b"\xff\xd8" and body[-2:] == b"\xff\xd9",
              f"{camera['ip']}: {len(body)} bytes, starting {body[:2].hex()}, "
              f"ending {body[-2:].hex()}")
        size = jpeg_size(body)
        check(size and size[0] > 0 and size[1] > 0, f"{camera['ip']}: no frame size ({size})")
        check("image/jpeg" in head.lower(), f"{camera['ip']}: headers {head!r}")


def test_a_wrong_camera_password_is_refused():
    for camera in recorder(0)["cameras"]:
        status, _, body = curl(frame_url(camera), "--anyauth",
                               user=f"{USER}:{camera.get('adminPassword', '')}-wrong")
        check(status == 401, f"{camera['ip']}: status {status}")
        check(body[:2] != b"\xff\xd8", f"{camera['ip']}: a frame despite the wrong password")


def test_system_cgi_sets_the_cameras_password():
    camera = next(c for c in recorder(0)["cameras"] if c.get("protocolType") != "0")
    old = camera["adminPassword"]
    url = (f"http://{camera['ip']}:{camera.get('httpPort', 80)}"
           f"/system.cgi?AdminID=admin&AdminPassword=Changed-77&ConfigReboot=No")
    status, _, body = curl(url, "--anyauth", user=f"{USER}:{old}")
    check(status == 200 and b"AdminPassword=Changed-77" in body, f"{status} {body!r}")
    status = curl(frame_url(camera), "--anyauth", user=f"{USER}:Changed-77")[0]
    check(status == 200, f"the new password gives {status}")
    status = curl(frame_url(camera), "--anyauth", user=f"{USER}:{old}")[0]
    check(status == 401, f"the old password gives {status}, expected 401")


if __name__ == "__main__":
    run(test_every_camera_serves_a_jpeg_frame,
        test_a_wrong_camera_password_is_refused,
        test_system_cgi_sets_the_cameras_password)
