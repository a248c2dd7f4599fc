-- qelvfpPrint.mdb: template of the month's invoice print file qelvfpPrint<year>_<month>.mdb. Its tables
-- are what rebuilding the print tables makes of the shipped layout (qelvPrintSet.mdb): KPDW the enterprise
-- number and the header and footer fields in ID order, MX the line ID, the enterprise number and the
-- line fields.
CREATE TABLE "KPDW" (
  "DanWeiBianHao" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 50),
  "缴款单位" TEXT(100) COLLATE NOCASE CHECK (length("缴款单位") <= 100),
  "年" TEXT(100) COLLATE NOCASE CHECK (length("年") <= 100),
  "月" TEXT(100) COLLATE NOCASE CHECK (length("月") <= 100),
  "日" TEXT(100) COLLATE NOCASE CHECK (length("日") <= 100),
  "大写合计" TEXT(100) COLLATE NOCASE CHECK (length("大写合计") <= 100),
  "小写合计" TEXT(100) COLLATE NOCASE CHECK (length("小写合计") <= 100),
  "znj" TEXT(100) COLLATE NOCASE CHECK (length("znj") <= 100),
  "收款单位" TEXT(100) COLLATE NOCASE CHECK (length("收款单位") <= 100),
  "审核" TEXT(100) COLLATE NOCASE CHECK (length("审核") <= 100),
  "经办人" TEXT(100) COLLATE NOCASE CHECK (length("经办人") <= 100)
);

CREATE TABLE "MX" (
  "ID" SMALLINT CHECK (typeof("ID") IN ('integer','null') AND "ID" BETWEEN -32768 AND 32767),
  "DanWeiBianHao" TEXT(50) COLLATE NOCASE CHECK (length("DanWeiBianHao") <= 50),
  "序号" TEXT(100) COLLATE NOCASE CHECK (length("序号") <= 100),
  "项目" TEXT(100) COLLATE NOCASE CHECK (length("项目") <= 100),
  "千万" TEXT(100) COLLATE NOCASE CHECK (length("千万") <= 100),
  "百万" TEXT(100) COLLATE NOCASE CHECK (length("百万") <= 100),
  "十万" TEXT(100) COLLATE NOCASE CHECK (length("十万") <= 100),
  "万" TEXT(100) COLLATE NOCASE CHECK (length("万") <= 100),
  "千" TEXT(100) COLLATE NOCASE CHECK (length("千") <= 100),
  "百" TEXT(100) COLLATE NOCASE CHECK (length("百") <= 100),
  "十" TEXT(100) COLLATE NOCASE CHECK (length("十") <= 100),
  "元" TEXT(100) COLLATE NOCASE CHECK (length("元") <= 100),
  "角" TEXT(100) COLLATE NOCASE CHECK (length("角") <= 100),
  "分" TEXT(100) COLLATE NOCASE CHECK (length("分") <= 100)
);

-- Each invoice's header and lines are read by the enterprise's number.
CREATE INDEX "KPDW_DanWeiBianHao" ON "KPDW" ("DanWeiBianHao");
CREATE INDEX "MX_DanWeiBianHao" ON "MX" ("DanWeiBianHao");
