#!/usr/bin/env python3
"""Writes a demo vault ("Data.db") of Chinese and Latin sites, for tools/run --demo and
tools/screenshots. Made-up sites and accounts; the passwords are examples, not anybody's.

  demo_vault.py FOLDER
"""
import os
import sys

# Site name, login address, account, password, mailbox, question, answer, remark, search key (the
# site name's pinyin initials, as the program computes them when a record is saved).
RECORDS = [
    ("中国银行", "http://ebank.boc.example/login", "zhang.wei", "Qw8#demo", "zhang.wei@mail.example", "出生地",
     "杭州", "网上银行", "zgyx"),
    ("淘宝网", "http://login.taobao.example/", "小张的店", "tb-Demo-22", "", "", "", "购物", "tbw"),
    ("新浪微博", "http://weibo.example/login", "zhangwei88", "wb!demo7", "", "", "", "", "xlwb"),
    ("百度网盘", "http://pan.baidu.example/", "zhang_wei", "pan#demo3", "", "", "", "备份照片", "bdwp"),
    ("京东商城", "http://passport.jd.example/new/login.aspx", "zw-buyer", "jd.demo99", "", "", "", "", "jdsc"),
    ("GitHub", "http://github.example/login", "zwei-dev", "gh-demo-key", "dev@mail.example", "", "", "work",
     "GitHub"),
    ("Mail", "http://mail.example/", "zhang.wei", "m@il-demo", "zhang.wei@mail.example", "", "", "", "Mail"),
    ("Bank of Examples", "http://bank.example/login", "saver01", "b4nk-demo", "", "First pet?", "Tiger",
     "savings", "Bank of Examples"),
]


def encode_field(text):
    # Each character: one digit giving the length of its code text, then the code text, its code
    # page 936 code as a signed 16-bit decimal ("u" and the code point for one that has none).
    out = []
    for ch in text:
        try:
            raw = ch.encode("gbk")
            code = raw[0] if len(raw) == 1 else raw[0] * 256 + raw[1] - 0x10000
            code_text = str(code)
        except UnicodeEncodeError:
            code_text = "u" + str(ord(ch))
        out.append(str(len(code_text)) + code_text)
    return "".join(out)


def main():
    lines = []
    for number, record in enumerate(RECORDS, start=2):
        fields = (str(number),) + record
        lines.append(",".join('"' + encode_field(f) + '"' for f in fields) + "\r\n")
    with open(os.path.join(sys.argv[1], "Data.db"), "w", encoding="ascii", newline="") as f:
        f.write("".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
